#include "exchange/export_mapping.h"

#include "core/options.h"
#include "mesh/mesh.h"

MappingSettings exportMappingSettings() {
    MappingSettings settings;
    settings.commonBase = options.commonBase;
    settings.commonBaseLength = mesh.commonBaseLength;
    settings.longestBaseEdge = measureLongestBaseEdge(mesh);
    settings.scale = textureRepeatScale(options.textureSize);
    return settings;
}

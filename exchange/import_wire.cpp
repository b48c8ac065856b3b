#include "exchange/import_wire.h"

#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

constexpr std::string_view magic = "KESTRUNE-IMPORT-1\n";

void putField(std::string& out, std::string_view field) {
    uint64_t length = field.size();
    out.append(reinterpret_cast<const char*>(&length), sizeof length);
    out.append(field);
}

bool takeField(std::string_view& in, std::string& field) {
    uint64_t length = 0;
    if (in.size() < sizeof length) return false;
    std::memcpy(&length, in.data(), sizeof length);
    in.remove_prefix(sizeof length);
    if (length > in.size()) return false;
    field.assign(in.substr(0, length));
    in.remove_prefix(length);
    return true;
}

}  // namespace

std::string encodeImport(const ImportedModel& model, const std::string& failure) {
    std::string frame(magic);
    const char flags[2] = {model.texture ? '1' : '0', model.hadTextureCoordinates ? '1' : '0'};
    frame.append(flags, 2);
    putField(frame, failure);
    putField(frame, model.notes);
    putField(frame, model.texture ? model.texture->name : std::string());
    putField(frame, model.texture ? model.texture->bytes : std::string());
    putField(frame, model.offText);
    return frame;
}

bool decodeImport(const std::string& frame, ImportedModel& model, std::string& failure) {
    std::string_view in(frame);
    if (in.substr(0, magic.size()) != magic || in.size() < magic.size() + 2) return false;
    in.remove_prefix(magic.size());
    const char textureFlag = in[0], coordinatesFlag = in[1];
    if ((textureFlag != '0' && textureFlag != '1') || (coordinatesFlag != '0' && coordinatesFlag != '1')) return false;
    in.remove_prefix(2);
    TextureFile texture;
    ImportedModel read;
    if (!takeField(in, failure) || !takeField(in, read.notes) || !takeField(in, texture.name) ||
        !takeField(in, texture.bytes) || !takeField(in, read.offText) || !in.empty()) {
        return false;
    }
    if (textureFlag == '1') read.texture = std::move(texture);
    read.hadTextureCoordinates = coordinatesFlag == '1';
    model = std::move(read);
    return true;
}

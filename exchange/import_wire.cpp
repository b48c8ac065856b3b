#include "exchange/import_wire.h"

#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

constexpr std::string_view magic = "KESTRUNE-IMPORT-3\n";

void putLength(std::string& out, uint64_t length) {
    out.append(reinterpret_cast<const char*>(&length), sizeof length);
}

void putField(std::string& out, std::string_view field) {
    putLength(out, field.size());
    out.append(field);
}

bool takeLength(std::string_view& in, uint64_t& length) {
    if (in.size() < sizeof length) return false;
    std::memcpy(&length, in.data(), sizeof length);
    in.remove_prefix(sizeof length);
    return true;
}

bool takeField(std::string_view& in, std::string& field) {
    uint64_t length = 0;
    if (!takeLength(in, length) || length > in.size()) return false;
    field.assign(in.substr(0, length));
    in.remove_prefix(length);
    return true;
}

template <typename T>
bool takeArray(std::string_view& in, uint64_t bytes, std::vector<T>& values) {
    if (bytes > in.size() || bytes % sizeof(T) != 0) return false;
    values.resize(bytes / sizeof(T));
    if (bytes != 0) std::memcpy(values.data(), in.data(), bytes);
    in.remove_prefix(bytes);
    return true;
}

}  // namespace

std::string encodeImportHeader(const ImportedModel& model, const std::string& failure) {
    std::string frame(magic);
    const char flags[2] = {model.texture ? '1' : '0', model.hadTextureCoordinates ? '1' : '0'};
    frame.append(flags, 2);
    putField(frame, failure);
    putField(frame, model.notes);
    putField(frame, model.quietNotes);
    putField(frame, model.texture ? model.texture->name : std::string());
    putField(frame, model.texture ? model.texture->bytes : std::string());
    putLength(frame, model.positions.size() * sizeof(float));
    putLength(frame, model.corners.size() * sizeof(int32_t));
    return frame;
}

std::string encodeImport(const ImportedModel& model, const std::string& failure) {
    std::string frame = encodeImportHeader(model, failure);
    frame.append(reinterpret_cast<const char*>(model.positions.data()), model.positions.size() * sizeof(float));
    frame.append(reinterpret_cast<const char*>(model.corners.data()), model.corners.size() * sizeof(int32_t));
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
    uint64_t positionBytes = 0, cornerBytes = 0;
    if (!takeField(in, failure) || !takeField(in, read.notes) || !takeField(in, read.quietNotes) || !takeField(in, texture.name) ||
        !takeField(in, texture.bytes) || !takeLength(in, positionBytes) || !takeLength(in, cornerBytes) ||
        !takeArray(in, positionBytes, read.positions) || !takeArray(in, cornerBytes, read.corners) || !in.empty()) {
        return false;
    }
    if (textureFlag == '1') read.texture = std::move(texture);
    read.hadTextureCoordinates = coordinatesFlag == '1';
    model = std::move(read);
    return true;
}

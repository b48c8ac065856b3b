#include "exchange/scene/import_wire.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

constexpr std::string_view magic = "KESTRUNE-IMPORT-3\n";
// The header is read in steps of this size; the arrays straight into place.
constexpr size_t headerStep = 64 * 1024;

void putLength(std::string& out, uint64_t length) {
    out.append(reinterpret_cast<const char*>(&length), sizeof length);
}

void putField(std::string& out, std::string_view field) {
    putLength(out, field.size());
    out.append(field);
}

enum class Parse { Whole, NeedMore, Broken, TooLarge };

bool takeLength(std::string_view& in, uint64_t& length) {
    if (in.size() < sizeof length) return false;
    std::memcpy(&length, in.data(), sizeof length);
    in.remove_prefix(sizeof length);
    return true;
}

Parse takeField(std::string_view& in, std::string& field, uint64_t sizeLimit) {
    uint64_t length = 0;
    if (!takeLength(in, length)) return Parse::NeedMore;
    if (length > sizeLimit) return Parse::TooLarge;
    if (length > in.size()) return Parse::NeedMore;
    field.assign(in.substr(0, length));
    in.remove_prefix(length);
    return Parse::Whole;
}

// Parses the header at the start of `bytes`; on success `used` is its size.
Parse parseHeader(std::string_view bytes, FrameReader& reader, size_t& used) {
    std::string_view in = bytes;
    size_t compared = std::min(in.size(), magic.size());
    if (in.substr(0, compared) != magic.substr(0, compared)) return Parse::Broken;
    if (in.size() < magic.size() + 2) return Parse::NeedMore;
    in.remove_prefix(magic.size());
    const char textureFlag = in[0], coordinatesFlag = in[1];
    if ((textureFlag != '0' && textureFlag != '1') || (coordinatesFlag != '0' && coordinatesFlag != '1')) {
        return Parse::Broken;
    }
    in.remove_prefix(2);
    ImportedModel& model = reader.model;
    TextureFile texture;
    std::string* fields[] = {&reader.failure, &model.notes, &model.quietNotes, &texture.name, &texture.bytes};
    for (std::string* field : fields) {
        Parse parsed = takeField(in, *field, reader.sizeLimit);
        if (parsed != Parse::Whole) return parsed;
    }
    if (!takeLength(in, reader.positionBytes) || !takeLength(in, reader.cornerBytes)) return Parse::NeedMore;
    if (textureFlag == '1') model.texture = std::move(texture);
    model.hadTextureCoordinates = coordinatesFlag == '1';
    used = bytes.size() - in.size();
    return Parse::Whole;
}

// Sizes the arrays once the header is known; refused when they cannot be
// whole vertices and faces or exceed what the child could have held.
void sizeArrays(FrameReader& reader) {
    const uint64_t positions = reader.positionBytes, corners = reader.cornerBytes;
    if (positions % (3 * sizeof(float)) != 0 || corners % (4 * sizeof(int32_t)) != 0) {
        reader.stage = FrameReader::Stage::Broken;
        return;
    }
    if (positions > reader.sizeLimit || corners > reader.sizeLimit - positions) {
        reader.stage = FrameReader::Stage::TooLarge;
        return;
    }
    reader.model.positions.resize(positions / sizeof(float));
    reader.model.corners.resize(corners / sizeof(int32_t));
    reader.stage = positions + corners == 0 ? FrameReader::Stage::Whole : FrameReader::Stage::Arrays;
}

char* arrayPosition(FrameReader& reader, size_t& room) {
    uint64_t at = reader.arrayBytesIn;
    if (at < reader.positionBytes) {
        room = static_cast<size_t>(reader.positionBytes - at);
        return reinterpret_cast<char*>(reader.model.positions.data()) + at;
    }
    at -= reader.positionBytes;
    room = static_cast<size_t>(reader.cornerBytes - at);
    return reinterpret_cast<char*>(reader.model.corners.data()) + at;
}

void arrayBytesArrived(FrameReader& reader, size_t count) {
    reader.arrayBytesIn += count;
    if (reader.arrayBytesIn == reader.positionBytes + reader.cornerBytes) reader.stage = FrameReader::Stage::Whole;
}

// Copies array bytes that came with the header's last read.
void takeArrayBytes(FrameReader& reader, const char* data, size_t size) {
    while (size > 0 && reader.stage == FrameReader::Stage::Arrays) {
        size_t room = 0;
        char* into = arrayPosition(reader, room);
        size_t count = std::min(room, size);
        std::memcpy(into, data, count);
        arrayBytesArrived(reader, count);
        data += count;
        size -= count;
    }
    // Bytes past the end of the arrays: not a frame.
    if (size > 0) reader.stage = FrameReader::Stage::Broken;
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

void startFrame(FrameReader& reader, uint64_t sizeLimit) {
    reader = FrameReader();
    reader.sizeLimit = sizeLimit;
}

char* frameDestination(FrameReader& reader, size_t& room) {
    room = 0;
    if (reader.stage == FrameReader::Stage::Arrays) return arrayPosition(reader, room);
    if (reader.stage == FrameReader::Stage::Whole) {
        // Anything more spoils the frame (frameReceived).
        room = sizeof reader.overflow;
        return reader.overflow;
    }
    if (reader.stage != FrameReader::Stage::Header) return nullptr;
    size_t filled = reader.headerBytesIn;
    if (filled >= reader.sizeLimit) {
        reader.stage = FrameReader::Stage::TooLarge;
        return nullptr;
    }
    if (reader.header.size() < filled + headerStep) reader.header.resize(filled + headerStep);
    room = reader.header.size() - filled;
    return reader.header.data() + filled;
}

void frameReceived(FrameReader& reader, size_t count) {
    if (reader.stage == FrameReader::Stage::Whole && count > 0) reader.stage = FrameReader::Stage::Broken;
    if (reader.stage == FrameReader::Stage::Arrays) {
        arrayBytesArrived(reader, count);
        return;
    }
    if (reader.stage != FrameReader::Stage::Header) return;
    reader.headerBytesIn += count;
    size_t used = 0;
    Parse parsed = parseHeader(std::string_view(reader.header.data(), reader.headerBytesIn), reader, used);
    if (parsed == Parse::NeedMore) return;
    if (parsed != Parse::Whole) {
        reader.stage = parsed == Parse::TooLarge ? FrameReader::Stage::TooLarge : FrameReader::Stage::Broken;
        return;
    }
    std::string rest = reader.header.substr(used, reader.headerBytesIn - used);
    std::string().swap(reader.header);
    sizeArrays(reader);
    if (reader.stage == FrameReader::Stage::Whole && !rest.empty()) reader.stage = FrameReader::Stage::Broken;
    if (reader.stage == FrameReader::Stage::Arrays) takeArrayBytes(reader, rest.data(), rest.size());
}

bool decodeImport(const std::string& frame, ImportedModel& model, std::string& failure) {
    FrameReader reader;
    startFrame(reader, frame.size());
    size_t at = 0;
    while (at < frame.size()) {
        size_t room = 0;
        char* into = frameDestination(reader, room);
        if (into == nullptr) break;
        size_t count = std::min(room, frame.size() - at);
        std::memcpy(into, frame.data() + at, count);
        at += count;
        frameReceived(reader, count);
    }
    if (reader.stage != FrameReader::Stage::Whole) return false;
    failure = std::move(reader.failure);
    model = std::move(reader.model);
    return true;
}

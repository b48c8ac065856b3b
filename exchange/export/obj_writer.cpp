// OBJ with its MTL: vertices, texture points numbered once where faces share
// them, face normals, faces.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "core/two_halves.h"
#include "exchange/export/format_writers.h"

namespace {

Section vertexSection(const char* prefix) {
    return {mesh.vertexCount, pointLine, [prefix](char* out, int64_t k) {
                const float* axes[3] = {mesh.vertexX, mesh.vertexY, mesh.vertexZ};
                float p[3];
                for (int axis = 0; axis < 3; ++axis) {
                    p[axis] = fileCoordinate(axes[axis][k], mesh.modelScale, mesh.modelCenter[axis]);
                }
                out = appendPoint(appendText(out, prefix), p);
                *out++ = '\n';
                return out;
            }};
}

// Texture points already written, in a small table, so that the points many
// faces share (corners A and B of every face that is its own texture base)
// are written once: a point is written again only once another has taken
// its place in the table.
struct PointNumbers {
    struct Entry {
        uint32_t s = 0, t = 0;
        int64_t number = 0;  // 0: empty
    };
    static constexpr int bits = 12;
    Entry table[1 << bits];
    int64_t count = 0;

    static size_t slotOf(uint32_t bs, uint32_t bt) {
        return ((bs * 0x9E3779B1u) ^ (bt * 0x85EBCA77u)) >> (32 - bits);
    }
    bool holds(size_t slot, uint32_t bs, uint32_t bt) const {
        return table[slot].number != 0 && table[slot].s == bs && table[slot].t == bt;
    }
    // The number (from 1) of point (s, t) in `slot`; true when it is new.
    bool find(size_t slot, uint32_t bs, uint32_t bt, int64_t& number) {
        if (holds(slot, bs, bt)) {
            number = table[slot].number;
            return false;
        }
        table[slot] = {bs, bt, ++count};
        number = count;
        return true;
    }
};

// The texture points of face f as OBJ has them: (s, v = 1 - t). The window
// uploads the JPEG's first row as texture row t = 0, so t runs down the
// picture, while OBJ puts v = 0 at its bottom row. The texture repeats, so
// the shift by 1 changes nothing drawn.
int objTexturePoints(int64_t f, const MappingSettings& mapping, TexturePoint points[4]) {
    int count = faceTextureCoordinates(static_cast<int>(f), mapping, points);
    for (int k = 0; k < count; ++k) points[k].t = 1.0f - points[k].t;
    return count;
}

// One half of the faces numbered. The first half starts from the empty
// table and writes the final numbers. The second cannot know what the first
// leaves in each slot, so it takes the first lookup in every slot as a new
// point, numbered from 1 on its own, its point kept past the first half's
// room; `firsts` keeps those lookups for the fix-up (fixSecondHalf). After
// its first lookup a slot holds the point looked up either way, so every
// later decision is the one the whole pass makes.
struct HalfNumbering {
    int64_t fromFace = 0, toFace = 0;
    bool second = false;
    PointNumbers table;
    bool looked[1 << PointNumbers::bits] = {};
    struct FirstLookup {
        size_t slot;
        uint64_t corner;
        uint32_t s, t;
        int64_t number;
    };
    std::vector<FirstLookup> firsts;
    uint64_t sharedWordBits = 0;  // fresh bits of the word the first half also writes
};

// What the table above decides for every corner, worked out in face order
// beside the first lines of the file, so that the vt and f records of any
// face are made on their own: the number of the corner's texture point,
// whether the corner brings it (its vt line), and each new point as it was
// worked out, so that its line is made without working it out again. Five
// bytes a corner, one a face, eight a new point: less than the model's text
// took while it was read.
struct ObjCornerPoints {
    CornerStarts starts;
    // From 1; under 2^32 (at most 2^30 faces are exported). Left unset: the
    // numbering writes every corner, on its threads.
    std::unique_ptr<uint32_t[]> number;
    uint64_t cornerCount = 0;
    std::vector<uint64_t> fresh;   // bit set: the point is new at this corner
    // Point number n at [2n - 2, 2n - 1]; room for every corner, only the
    // pages of the points written become resident.
    std::unique_ptr<float[]> points;
    MappingSettings mapping;
    int64_t secondHalfFrom = 0;  // the face the second half of the numbering starts at
    std::unique_ptr<HalfNumbering[]> halves;
    std::unique_ptr<uint32_t[]> finalNumbers;  // of the second half's points, by provisional number
};

void numberHalf(ObjCornerPoints& corners, HalfNumbering& half) {
    uint64_t corner = static_cast<uint64_t>(firstCorner(corners.starts, half.fromFace));
    const uint64_t sharedWord = corner >> 6;
    const uint64_t pointBase = half.second ? corner : 0;
    float* points = corners.points.get();
    for (int64_t f = half.fromFace; f < half.toFace; ++f) {
        TexturePoint facePoints[4];
        int count = objTexturePoints(f, corners.mapping, facePoints);
        for (int k = 0; k < count; ++k, ++corner) {
            uint32_t bs = std::bit_cast<uint32_t>(facePoints[k].s), bt = std::bit_cast<uint32_t>(facePoints[k].t);
            size_t slot = PointNumbers::slotOf(bs, bt);
            int64_t number = 0;
            bool fresh = false;
            if (half.second && !half.looked[slot]) {
                half.looked[slot] = true;
                half.table.table[slot] = {bs, bt, ++half.table.count};
                number = half.table.count;
                half.firsts.push_back({slot, corner, bs, bt, number});
                fresh = true;
            } else {
                fresh = half.table.find(slot, bs, bt, number);
            }
            if (fresh) {
                uint64_t bit = uint64_t{1} << (corner & 63);
                if (half.second && corner >> 6 == sharedWord) half.sharedWordBits |= bit;
                else corners.fresh[corner >> 6] |= bit;
                points[2 * (pointBase + static_cast<uint64_t>(number)) - 2] = facePoints[k].s;
                points[2 * (pointBase + static_cast<uint64_t>(number)) - 1] = facePoints[k].t;
            }
            corners.number[corner] = static_cast<uint32_t>(number);
        }
    }
}

// The second half's numbers made final once the first half is over: a first
// lookup whose point the first half left in its slot brings no point and
// takes that point's number; every other point of the second half is
// numbered on from the first half's count and moved down to its place.
void fixSecondHalf(ObjCornerPoints& corners, const HalfNumbering& first, const HalfNumbering& second) {
    uint64_t begin = static_cast<uint64_t>(firstCorner(corners.starts, second.fromFace));
    corners.fresh[begin >> 6] |= second.sharedWordBits;
    uint32_t* finalNumber = corners.finalNumbers.get();  // [p - 1] for provisional number p
    float* points = corners.points.get();
    int64_t next = first.table.count;
    size_t at = 0;  // the first lookups come in the order of their provisional numbers
    for (int64_t provisional = 1; provisional <= second.table.count; ++provisional) {
        if (at < second.firsts.size() && second.firsts[at].number == provisional) {
            const HalfNumbering::FirstLookup& lookup = second.firsts[at++];
            if (first.table.holds(lookup.slot, lookup.s, lookup.t)) {
                finalNumber[provisional - 1] = static_cast<uint32_t>(first.table.table[lookup.slot].number);
                corners.fresh[lookup.corner >> 6] &= ~(uint64_t{1} << (lookup.corner & 63));
                continue;
            }
        }
        finalNumber[provisional - 1] = static_cast<uint32_t>(++next);
        // Down or in place: the first half has at most one point a corner.
        size_t from = 2 * (begin + static_cast<uint64_t>(provisional) - 1), to = 2 * static_cast<size_t>(next - 1);
        points[to] = points[from];
        points[to + 1] = points[from + 1];
    }
    uint64_t end = corners.cornerCount;
    for (uint64_t corner = begin; corner < end; ++corner) corners.number[corner] = finalNumber[corners.number[corner] - 1];
}

void numberCornerPoints(ObjCornerPoints& corners) {
    HalfNumbering* halves = corners.halves.get();
    halves[0].toFace = corners.secondHalfFrom;
    halves[1].fromFace = corners.secondHalfFrom;
    halves[1].toFace = mesh.faceCount;
    halves[1].second = true;
    if (halves[1].fromFace >= halves[1].toFace) {
        halves[0].toFace = mesh.faceCount;
        numberHalf(corners, halves[0]);
        return;
    }
    runHalvesAtOnce([&](int which) { numberHalf(corners, halves[which]); });
    fixSecondHalf(corners, halves[0], halves[1]);
}

// Below this many faces the numbering runs in one go.
constexpr int64_t facesForTwoHalves = 20000;

// The memory taken here (std::bad_alloc without it), the pass started beside.
std::shared_ptr<const ObjCornerPoints> objCornerPoints(const ExportModel& model, int64_t secondHalfFrom,
                                                      std::shared_future<void>& ready) {
    auto corners = std::make_shared<ObjCornerPoints>();
    corners->starts = cornerStarts();
    corners->cornerCount = static_cast<uint64_t>(model.cornerCount);
    corners->number = std::make_unique_for_overwrite<uint32_t[]>(corners->cornerCount);
    corners->fresh.assign(static_cast<size_t>(model.cornerCount + 63) / 64, 0);
    corners->points.reset(new float[2 * static_cast<size_t>(model.cornerCount)]);
    corners->mapping = model.mapping;
    corners->secondHalfFrom = secondHalfFrom;
    corners->halves = std::make_unique<HalfNumbering[]>(2);
    corners->halves[1].firsts.reserve(size_t{1} << PointNumbers::bits);
    if (secondHalfFrom < mesh.faceCount) {
        size_t secondCorners = static_cast<size_t>(model.cornerCount - firstCorner(corners->starts, secondHalfFrom));
        corners->finalNumbers.reset(new uint32_t[secondCorners]);
    }
    ready = startBeside([corners] { numberCornerPoints(*corners); });
    return corners;
}

// "vt s v" for each point the face brings; faces that bring none skip their
// texture points.
Section objTextureSection(std::shared_ptr<const ObjCornerPoints> corners) {
    return {mesh.faceCount, 4 * (3 + 2 * 16 + 1), [corners](char* out, int64_t f) {
                uint64_t first = static_cast<uint64_t>(firstCorner(corners->starts, f));
                int count = isTriangle(static_cast<int>(f)) ? 3 : 4;
                for (int k = 0; k < count; ++k) {
                    uint64_t corner = first + static_cast<uint64_t>(k);
                    if ((corners->fresh[corner >> 6] >> (corner & 63) & 1) == 0) continue;
                    const float* point = &corners->points[2 * size_t{corners->number[corner]} - 2];
                    out = appendFloat(appendText(out, "vt "), point[0]);
                    *out++ = ' ';
                    out = appendFloat(out, point[1]);
                    *out++ = '\n';
                }
                return out;
            }};
}

Section objNormalSection() {
    return {mesh.faceCount, pointLine, [](char* out, int64_t f) {
                float p[4][3], n[3];
                facePositions(static_cast<int>(f), p);
                faceNormal(p, n);
                out = appendPoint(appendText(out, "vn "), n);
                *out++ = '\n';
                return out;
            }};
}

// "f v/vt/vn ...", numbered from 1: the model's vertex, the corner's
// texture point, the face's normal.
Section objFaceSection(std::shared_ptr<const ObjCornerPoints> corners) {
    return {mesh.faceCount, 2 + 4 * 3 * indexField + 16, [corners](char* out, int64_t f) {
                int32_t vertices[4];
                int count = faceCorners(static_cast<int>(f), vertices);
                const uint32_t* numbers = corners->number.get() + firstCorner(corners->starts, f);
                // The normal's number, the same at every corner, is made once.
                char normal[20];
                size_t normalLength = static_cast<size_t>(appendIndex(normal, f + 1) - normal);
                *out++ = 'f';
                for (int k = 0; k < count; ++k) {
                    *out++ = ' ';
                    out = appendIndex(out, int64_t{vertices[k]} + 1);
                    *out++ = '/';
                    out = appendIndex(out, numbers[k]);
                    *out++ = '/';
                    std::memcpy(out, normal, normalLength);
                    out += normalLength;
                }
                *out++ = '\n';
                return out;
            }};
}

}  // namespace

FileSections objSections(const ExportModel& model, int64_t secondHalfFrom) {
    std::string header = "# Kestrune\nmtllib " + model.companion + "\n";
    std::shared_future<void> ready;
    secondHalfFrom = std::clamp<int64_t>(secondHalfFrom, 0, mesh.faceCount);
    std::shared_ptr<const ObjCornerPoints> corners = objCornerPoints(model, secondHalfFrom, ready);
    Section points = objTextureSection(corners), faces = objFaceSection(corners);
    points.ready = faces.ready = ready;
    return {bytesSection(header), vertexSection("v "), points, objNormalSection(),
            bytesSection("g kestrune\nusemtl kestrune\n"), faces};
}

FileSections objSections(const ExportModel& model) {
    return objSections(model, mesh.faceCount >= facesForTwoHalves ? mesh.faceCount / 2 : mesh.faceCount);
}

// The uniform colour 0x00BBGGRR stands for the picture when there is none.
FileSections mtlSections(const ExportModel& model) {
    std::string text = "newmtl kestrune\n";
    if (model.texture != nullptr) {
        text += "Kd 1 1 1\nillum 1\nmap_Kd " + model.texture->name + "\n";
    } else {
        text += "Kd " + shortest(static_cast<float>(model.uniformColor & 0xFF) / 255.0f) + " " +
                shortest(static_cast<float>((model.uniformColor >> 8) & 0xFF) / 255.0f) + " " +
                shortest(static_cast<float>((model.uniformColor >> 16) & 0xFF) / 255.0f) + "\nillum 1\n";
    }
    return {bytesSection(text)};
}

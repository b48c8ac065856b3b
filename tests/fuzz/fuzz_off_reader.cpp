// Fuzzes the OFF reader: no input may crash it or read out of bounds; an
// accepted model must be consistent, lie in view coordinates and read back
// the same after writing; the number conversions must agree with sscanf.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "mesh/mesh.h"
#include "mesh/off_reader.h"
#include "mesh/off_writer.h"
#include "core/text_scan.h"

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

void release(Mesh& m) {
    std::swap(m, mesh);
    freeModel();
    std::swap(m, mesh);
}

void checkModel(const Mesh& m) {
    require(meshIsConsistent(m), "faces name vertices of the model");
    require(m.vertexCapacity == m.vertexCount && m.faceCapacity == m.faceCount, "exact capacities");
    require(std::isfinite(m.modelScale) && m.modelScale > 0.0f, "positive finite scale");
    for (int32_t i = 0; i < m.vertexCount; ++i) {
        for (float c : {m.vertexX[i], m.vertexY[i], m.vertexZ[i]}) {
            require(std::fabs(c) <= 0.6000001f, "view coordinates within 0.6");
        }
    }
    require(std::strlen(m.textureFileName) < sizeof m.textureFileName, "terminated name");
}

void checkRoundTrip(const Mesh& m) {
    float largest = std::fabs(m.modelScale);
    for (float c : m.modelCenter) largest = std::fmax(largest, std::fabs(c));
    if (largest > 1e37f) return;  // written coordinates could round past the float range
    std::string text = formatOffText(m);
    Mesh again;
    require(readOffText(text.data(), text.size(), again), "written model reads back");
    require(again.vertexCount == m.vertexCount && again.faceCount == m.faceCount, "same counts");
    require(std::strcmp(again.textureFileName, m.textureFileName) == 0, "same texture name");
    for (int32_t f = 0; f < m.faceCount; ++f) {
        require(again.faceA[f] == m.faceA[f] && again.faceB[f] == m.faceB[f] && again.faceC[f] == m.faceC[f] &&
                    again.faceD[f] == m.faceD[f],
                "same faces");
    }
    release(again);
}

void checkConversions(std::string_view line) {
    std::string text(line);
    float ours[3] = {1.5f, 1.5f, 1.5f}, theirs[3] = {1.5f, 1.5f, 1.5f};
    int count = std::sscanf(text.c_str(), "%f%f%f", &theirs[0], &theirs[1], &theirs[2]);
    require(scanFloats(line, ours, 3) == (count < 0 ? 0 : count), "float count as sscanf");
    require(std::memcmp(ours, theirs, sizeof ours) == 0, "float values as sscanf");
    int32_t oursInt[5] = {7, 7, 7, 7, 7};
    int theirsInt[5] = {7, 7, 7, 7, 7};
    count = std::sscanf(text.c_str(), "%d%d%d%d%d", &theirsInt[0], &theirsInt[1], &theirsInt[2], &theirsInt[3],
                        &theirsInt[4]);
    require(scanInts(line, oursInt, 5) == (count < 0 ? 0 : count), "int count as sscanf");
    require(std::memcmp(oursInt, theirsInt, sizeof oursInt) == 0, "int values as sscanf");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    Mesh m;
    if (readOffText(text, size, m)) {
        checkModel(m);
        checkRoundTrip(m);
        release(m);
    } else {
        require(m.vertexX == nullptr && m.faceA == nullptr && m.vertexCount == 0, "target untouched");
    }
    // The reader's conversions on the first lines, against the C library.
    std::string_view rest(text, strnlen(text, size));
    std::string_view line;
    for (int n = 0; n < 8 && !rest.empty(); ++n) {
        if (takeLine(rest, line, offLineLimit) > LastLine) break;
        checkConversions(line);
    }
    return 0;
}

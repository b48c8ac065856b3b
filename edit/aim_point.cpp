// The aimed point of the four views, its status line and the distance of a
// point from the sight line.
#include <cmath>
#include <cstdio>

#include "core/options.h"
#include "state/messages.h"
#include "state/program_state.h"
#include "state/view_state.h"
#include "edit/aim.h"
#include "render/unproject.h"
#include "render/render_state.h"
#include "edit/editing_state.h"

namespace {

// Depth coordinate closer than this to the far plane of an orthographic view
// is the background, not drawn geometry.
constexpr double backgroundMargin = 0.02;
// Surface points farther than this from the origin do not attract the aimed
// point in the perspective view.
constexpr double surfaceRadius = 2.5;

void aimInPerspective(const double p[3]) {
    float m[16];
    toFloatMatrix(render.unprojection.modelview, m);
    const float towardsEye[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    float e[4];
    transposedTimes(m, towardsEye, e);
    const float distance = program.view.cameraDistance;
    Vec3 origin{distance * e[0], distance * e[1], distance * e[2]};
    Vec3 direction{static_cast<float>(p[0] - origin.x), static_cast<float>(p[1] - origin.y),
                   static_cast<float>(p[2] - origin.z)};
    // Where the sight line meets the plane through the origin facing the eye.
    float s = dot3(origin, origin);
    float q = dot3(direction, origin);
    editing.aim.sightOrigin = origin;
    editing.aim.sightDirection = direction;
    editing.aim.aimed = Vec3{origin.x - direction.x * s / q, origin.y - direction.y * s / q,
                     origin.z - direction.z * s / q};
    double fromOrigin = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    if (fromOrigin < surfaceRadius && options.vertexCreation == 1) {
        editing.aim.aimed = Vec3{static_cast<float>(p[0]), static_cast<float>(p[1]),
                         static_cast<float>(p[2])};
    }
}

void aimInOrthographicView(const double p[3]) {
    const float px = static_cast<float>(p[0]);
    const float py = static_cast<float>(p[1]);
    const float pz = static_cast<float>(p[2]);
    const float farPlane = program.view.viewSign * program.view.orthoZoom;
    const bool onObject = options.vertexCreation == 1;
    switch (program.view.viewKind) {
    case ViewXOy:
        editing.aim.sightOrigin = Vec3{px, py, 10.0f};
        editing.aim.sightDirection = Vec3{0.0f, 0.0f, -1.0f};
        editing.aim.aimed = Vec3{px, py, 0.0f};
        if (onObject && std::fabs(farPlane + p[2]) > backgroundMargin) editing.aim.aimed.z = pz;
        break;
    case ViewXOz:
        editing.aim.sightOrigin = Vec3{px, -10.0f, pz};
        editing.aim.sightDirection = Vec3{0.0f, 1.0f, 0.0f};
        editing.aim.aimed = Vec3{px, 0.0f, pz};
        if (onObject && std::fabs(p[1] - farPlane) > backgroundMargin) editing.aim.aimed.y = py;
        break;
    default:  // ViewYOz
        editing.aim.sightOrigin = Vec3{10.0f, py, pz};
        editing.aim.sightDirection = Vec3{-1.0f, 0.0f, 0.0f};
        editing.aim.aimed = Vec3{0.0f, py, pz};
        if (onObject && std::fabs(farPlane + p[0]) > backgroundMargin) editing.aim.aimed.x = px;
        break;
    }
}

const char* statusTemplate(ViewKind kind) {
    switch (kind) {
    case ViewXOy:
        return "%s, dans la vue xOy on est à :  x = %12.4g   y = %12.4g   z = %12.4g ";
    case ViewXOz:
        return "%s, dans la vue xOz on est à :  x = %12.4g   y = %12.4g   z = %12.4g ";
    case ViewYOz:
        return "%s, dans la vue yOz on est à :  x = %12.4g   y = %12.4g   z = %12.4g ";
    default:
        return "%s, dans la vue en perspective on est à :  x = %12.4g   y = %12.4g   z = %12.4g ";
    }
}

}  // namespace

void aimFromUnprojectedPoint(const double point[3]) {
    if (program.view.viewKind == Perspective) {
        aimInPerspective(point);
    } else {
        aimInOrthographicView(point);
    }
}

std::string aimStatusText(const char* modeText) {
    const char* format = statusTemplate(program.view.viewKind);
    const char* text = modeText != nullptr ? modeText : "";
    double x = editing.aim.aimed.x;
    double y = editing.aim.aimed.y;
    double z = editing.aim.aimed.z;
    int length = std::snprintf(nullptr, 0, format, text, x, y, z);
    if (length < 0) return std::string();
    std::string line(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(line.data(), line.size(), format, text, x, y, z);
    line.resize(static_cast<size_t>(length));
    return line;
}

void computeAimPoint() {
    unprojectCursor();
    aimFromUnprojectedPoint(render.unprojection.point);
    setStatusText(aimStatusText(program.edit.modeText));
}

Vec3 closestPointOnSightLine(Vec3 p) {
    const Vec3 a = editing.aim.aimed;
    const Vec3 d = editing.aim.sightDirection;
    float t = dot3(d, p - a);
    float n = dot3(d, d);
    return Vec3{a.x + d.x * t / n, a.y + d.y * t / n, a.z + d.z * t / n};
}

float distanceToSightLine(Vec3 p) {
    Vec3 offset = p - closestPointOnSightLine(p);
    float squared = offset.x * offset.x + offset.y * offset.y + offset.z * offset.z;
    return static_cast<float>(std::sqrt(static_cast<double>(squared)));
}

#include "tools/thumbnail_view.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "core/view_kind.h"
#include "mesh/mesh.h"
#include "render/camera.h"
#include "render/render_state.h"
#include "state/program_state.h"

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double degrees = 180.0 / pi;

// The model turned this far about its own y axis, then tipped this far
// towards the viewer: three sides of a box show, its top among them. Seen
// from higher, a box's top grows, but a tetrahedron standing on a face
// shrinks towards a thin triangle.
constexpr double elevation = 22.0;
constexpr double azimuth = -28.0;
// The larger side of the model's outline spans this share of the picture.
constexpr double fill = 0.94;
// The window's perspective: 45 degrees from the bottom to the top of the
// picture (gl_context.cpp).
constexpr double halfFieldOfView = 22.5 / degrees;

// The window applies its angles about y, then x, then z (camera.cpp), while
// the three-quarter view is the turn about y followed by the tip about x:
// Rx(e) Ry(a) written as Ry(angleY) Rx(angleX) Rz(angleZ). Turning about y
// first keeps the model's vertical edges vertical in the picture.
void turnToThreeQuarters() {
    double se = std::sin(elevation / degrees), ce = std::cos(elevation / degrees);
    double sa = std::sin(azimuth / degrees), ca = std::cos(azimuth / degrees);
    program.view.angleY = static_cast<float>(std::atan2(sa, ce * ca) * degrees);
    program.view.angleX = static_cast<float>(std::asin(se * ca) * degrees);
    program.view.angleZ = static_cast<float>(std::atan2(se * sa, ce) * degrees);
}

template <typename Visit>
void forEachCorner(Visit visit) {
    for (int32_t f = 0; f < mesh.faceCount; ++f) {
        for (int32_t v : {mesh.faceA[f], mesh.faceB[f], mesh.faceC[f], mesh.faceD[f]}) {
            if (v >= 0 && v < mesh.vertexCount) visit(mesh.vertexX[v], mesh.vertexY[v], mesh.vertexZ[v]);
        }
    }
}

// A sphere around every face corner, about the centre of their box; false
// when no face has a corner.
bool boundingSphere(double centre[3], double& radius) {
    double low[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, high[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    forEachCorner([&](float x, float y, float z) {
        const double p[3] = {x, y, z};
        for (int k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], p[k]);
            high[k] = std::max(high[k], p[k]);
        }
    });
    if (low[0] > high[0]) return false;
    for (int k = 0; k < 3; ++k) centre[k] = (low[k] + high[k]) / 2.0;
    radius = 0.0;
    forEachCorner([&](float x, float y, float z) {
        radius = std::max(radius, std::hypot(x - centre[0], y - centre[1], z - centre[2]));
    });
    return true;
}

// The camera at the distance where the sphere about the view's centre that
// holds the model's bounding sphere spans `fill` of the picture's height, and
// never so near that the model crosses the near plane (0.6).
void placeCamera(const double centre[3], double radius) {
    double reach = std::hypot(centre[0], centre[1], centre[2]) + radius;
    double distance = reach / std::sin(std::atan(fill * std::tan(halfFieldOfView)));
    program.view.cameraDistance = static_cast<float>(std::max({distance, reach + 0.7, 1.7}));
}

// Frames the picture on the model's outline: the projection the frame uses
// is followed by a zoom and a shift in the picture's plane (a crop, the
// perspective unchanged) that bring the outline's box to the middle, its
// larger side spanning `fill` of the picture.
void frameOnOutline() {
    // The matrices the frame itself will set.
    applyCamera();
    double modelView[16], projection[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    double left = HUGE_VAL, right = -HUGE_VAL, bottom = HUGE_VAL, top = -HUGE_VAL;
    forEachCorner([&](float x, float y, float z) {
        double eye[4], clip[4];
        for (int r = 0; r < 4; ++r) {
            eye[r] = modelView[r] * x + modelView[4 + r] * y + modelView[8 + r] * z + modelView[12 + r];
        }
        for (int r = 0; r < 4; ++r) {
            clip[r] = projection[r] * eye[0] + projection[4 + r] * eye[1] + projection[8 + r] * eye[2] +
                      projection[12 + r] * eye[3];
        }
        if (clip[3] <= 0.0) return;
        left = std::min(left, clip[0] / clip[3]);
        right = std::max(right, clip[0] / clip[3]);
        bottom = std::min(bottom, clip[1] / clip[3]);
        top = std::max(top, clip[1] / clip[3]);
    });
    double span = std::max(right - left, top - bottom);
    // A point, or a model seen edge on along both sides: nothing to zoom on.
    if (!(span > 1e-6)) return;
    double zoom = 2.0 * fill / span;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glTranslated(-zoom * (left + right) / 2.0, -zoom * (bottom + top) / 2.0, 0.0);
    glScaled(zoom, zoom, 1.0);
    glMultMatrixd(projection);
    glMatrixMode(GL_MODELVIEW);
}

// Mean luminance (0 to 1) of the image the faces are drawn with.
double drawnImageLuminance() {
    const TextureImage& image =
        program.display.textureSlot == 0 ? render.textures.uniformImage : render.textures.loadedImage;
    double sum = 0.0;
    for (const auto& row : image) {
        for (const auto& texel : row) sum += 0.2126 * texel[0] + 0.7152 * texel[1] + 0.0722 * texel[2];
    }
    return sum / (255.0 * textureImageSide * textureImageSide);
}

// A directional light from above, on the viewer's left: the top, the left and
// the right sides of a box each get a shade of their own (about 1, 0.7 and
// 0.45 of their image). Ambient light keeps the sides turned away from it
// readable.
void lightFromAbove() {
    const GLfloat direction[] = {-0.45f, 0.75f, 0.5f, 0.0f};
    const GLfloat ambient[] = {0.25f, 0.25f, 0.25f, 1.0f};
    const GLfloat diffuse[] = {0.8f, 0.8f, 0.8f, 1.0f};
    const GLfloat specular[] = {0.4f, 0.4f, 0.4f, 1.0f};
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();  // the direction is given in eye coordinates
    glLightfv(GL_LIGHT0, GL_POSITION, direction);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
}

// Lit, a model shows about 0.7 of its image's luminance: above about 0.45
// (an image of luminance 0.65) it stands out best from a dark slate, below
// from a light grey.
void clearToContrastingBackground() {
    if (drawnImageLuminance() >= 0.65) {
        glClearColor(0.16f, 0.17f, 0.19f, 1.0f);
    } else {
        glClearColor(0.9f, 0.91f, 0.92f, 1.0f);
    }
}

}  // namespace

void useThumbnailView() {
    lightFromAbove();
    clearToContrastingBackground();
    double centre[3], radius;
    if (program.view.viewKind != Perspective || !boundingSphere(centre, radius)) return;
    turnToThreeQuarters();
    placeCamera(centre, radius);
    frameOnOutline();
}

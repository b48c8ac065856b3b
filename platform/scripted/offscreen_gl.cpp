// A real GL context without any display: EGL on Mesa's surfaceless platform,
// compatibility profile, drawing into a pbuffer of the drawing area's size.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <algorithm>

#include "platform/scripted/scripted.h"

namespace {

EGLDisplay display = EGL_NO_DISPLAY;
EGLSurface surface = EGL_NO_SURFACE;
EGLContext context = EGL_NO_CONTEXT;
EGLConfig config = nullptr;
int width = scripted::drawingWidth;
int height = scripted::drawingHeight;

bool openDisplay() {
    if (display != EGL_NO_DISPLAY) return true;
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) return false;
    EGLDisplay candidate = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (candidate == EGL_NO_DISPLAY || !eglInitialize(candidate, nullptr, nullptr)) return false;
    const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8,
                                 EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 24, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                 EGL_NONE};
    EGLint found = 0;
    if (!eglChooseConfig(candidate, attributes, &config, 1, &found) || found < 1) return false;
    display = candidate;
    return true;
}

}  // namespace

bool createSurfaceContext() {
    if (context != EGL_NO_CONTEXT) releaseSurfaceContext();
    if (!openDisplay() || !eglBindAPI(EGL_OPENGL_API)) return false;
    const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    surface = eglCreatePbufferSurface(display, config, size);
    const EGLint profile[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                              EGL_NONE};
    context = eglCreateContext(display, config, EGL_NO_CONTEXT, profile);
    if (surface == EGL_NO_SURFACE || context == EGL_NO_CONTEXT ||
        !eglMakeCurrent(display, surface, surface, context)) {
        releaseSurfaceContext();
        return false;
    }
    return true;
}

void releaseSurfaceContext() {
    if (display == EGL_NO_DISPLAY) return;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context != EGL_NO_CONTEXT) eglDestroyContext(display, context);
    if (surface != EGL_NO_SURFACE) eglDestroySurface(display, surface);
    context = EGL_NO_CONTEXT;
    surface = EGL_NO_SURFACE;
}

bool surfaceContextExists() { return context != EGL_NO_CONTEXT; }

void swapSurfaceBuffers() {
    // A pbuffer is single-buffered: finishing the frame makes it readable.
    if (context != EGL_NO_CONTEXT) glFinish();
}

int surfaceWidth() { return width; }
int surfaceHeight() { return height; }

namespace scripted {

void setDrawingSize(int newWidth, int newHeight) {
    width = std::clamp(newWidth, 1, maxDrawingSide);
    height = std::clamp(newHeight, 1, maxDrawingSide);
}

Pixel readPixel(int x, int y) {
    Pixel pixel{0, 0, 0, 0};
    if (context == EGL_NO_CONTEXT || x < 0 || y < 0 || x >= width || y >= height) return pixel;
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &pixel);
    return pixel;
}

std::vector<unsigned char> readDrawing() {
    if (context == EGL_NO_CONTEXT) return {};
    size_t rowBytes = static_cast<size_t>(width) * 3;
    std::vector<unsigned char> bottomUp(rowBytes * static_cast<size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<unsigned char> topDown(bottomUp.size());
    for (int row = 0; row < height; ++row) {
        std::copy_n(bottomUp.begin() + static_cast<long>(rowBytes) * (height - 1 - row), rowBytes,
                    topDown.begin() + static_cast<long>(rowBytes) * row);
    }
    return topDown;
}

}  // namespace scripted

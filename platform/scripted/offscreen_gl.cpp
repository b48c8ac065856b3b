// A real GL context without any display: EGL on Mesa's surfaceless platform,
// compatibility profile, drawing into a pbuffer of the drawing area's size.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <algorithm>

#include "platform/scripted/scripted.h"
#include "platform/scripted/scripted_state.h"

using namespace sys;

namespace {

bool openDisplay() {
    if (twin.egl.display != EGL_NO_DISPLAY) return true;
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) return false;
    EGLDisplay candidate = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (candidate == EGL_NO_DISPLAY || !eglInitialize(candidate, nullptr, nullptr)) return false;
    const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8,
                                 EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 24, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                 EGL_NONE};
    EGLint found = 0;
    if (!eglChooseConfig(candidate, attributes, &twin.egl.config, 1, &found) || found < 1) return false;
    twin.egl.display = candidate;
    return true;
}

}  // namespace

bool sys::createSurfaceContext() {
    if (twin.egl.context != EGL_NO_CONTEXT) releaseSurfaceContext();
    if (!openDisplay() || !eglBindAPI(EGL_OPENGL_API)) return false;
    const EGLint size[] = {EGL_WIDTH, twin.egl.width, EGL_HEIGHT, twin.egl.height, EGL_NONE};
    twin.egl.surface = eglCreatePbufferSurface(twin.egl.display, twin.egl.config, size);
    const EGLint profile[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                              EGL_NONE};
    twin.egl.context = eglCreateContext(twin.egl.display, twin.egl.config, EGL_NO_CONTEXT, profile);
    if (twin.egl.surface == EGL_NO_SURFACE || twin.egl.context == EGL_NO_CONTEXT ||
        !eglMakeCurrent(twin.egl.display, twin.egl.surface, twin.egl.surface, twin.egl.context)) {
        releaseSurfaceContext();
        return false;
    }
    return true;
}

void sys::releaseSurfaceContext() {
    if (twin.egl.display == EGL_NO_DISPLAY) return;
    eglMakeCurrent(twin.egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (twin.egl.context != EGL_NO_CONTEXT) eglDestroyContext(twin.egl.display, twin.egl.context);
    if (twin.egl.surface != EGL_NO_SURFACE) eglDestroySurface(twin.egl.display, twin.egl.surface);
    twin.egl.context = EGL_NO_CONTEXT;
    twin.egl.surface = EGL_NO_SURFACE;
}

bool sys::surfaceContextExists() { return twin.egl.context != EGL_NO_CONTEXT; }

void sys::swapSurfaceBuffers() {
    // A pbuffer is single-buffered: finishing the frame makes it readable.
    if (twin.egl.context != EGL_NO_CONTEXT) glFinish();
}

int sys::surfaceWidth() { return twin.egl.width; }
int sys::surfaceHeight() { return twin.egl.height; }

namespace scripted {

void setDrawingSize(int newWidth, int newHeight) {
    twin.egl.width = std::clamp(newWidth, 1, maxDrawingSide);
    twin.egl.height = std::clamp(newHeight, 1, maxDrawingSide);
}

Pixel readPixel(int x, int y) {
    Pixel pixel{0, 0, 0, 0};
    const OffscreenSurface& egl = twin.egl;
    if (egl.context == EGL_NO_CONTEXT || x < 0 || y < 0 || x >= egl.width || y >= egl.height) return pixel;
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &pixel);
    return pixel;
}

std::vector<unsigned char> readDrawing() {
    if (twin.egl.context == EGL_NO_CONTEXT) return {};
    size_t rowBytes = static_cast<size_t>(twin.egl.width) * 3;
    std::vector<unsigned char> bottomUp(rowBytes * static_cast<size_t>(twin.egl.height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, twin.egl.width, twin.egl.height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<unsigned char> topDown(bottomUp.size());
    for (int row = 0; row < twin.egl.height; ++row) {
        std::copy_n(bottomUp.begin() + static_cast<long>(rowBytes) * (twin.egl.height - 1 - row), rowBytes,
                    topDown.begin() + static_cast<long>(rowBytes) * row);
    }
    return topDown;
}

}  // namespace scripted

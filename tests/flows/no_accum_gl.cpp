// no-accum-gl - an OpenGL library for the flows that refuses every visual and
// frame-buffer configuration with an accumulation buffer, as some drivers do
// (Mesa's llvmpipe under Xvfb grants one). SDL loads it in place of libGL.so.1
// (SDL_OPENGL_LIBRARY for sdl12-compat's SDL 2, SDL_VIDEO_GL_DRIVER for the
// classic runtime); everything else is libGL's own, which it depends on.

#include <GL/glx.h>

#include <dlfcn.h>

#include <cstring>

namespace {

void *RealGL()
{
    static void *gl = dlopen("libGL.so.1", RTLD_NOW | RTLD_GLOBAL);
    return gl;
}

template <class F>
F Real(const char *name)
{
    return reinterpret_cast<F>(dlsym(RealGL(), name));
}

bool IsAccum(int attribute)
{
    return attribute >= GLX_ACCUM_RED_SIZE && attribute <= GLX_ACCUM_ALPHA_SIZE;
}

// glXChooseVisual's list: GLX_RGBA, GLX_DOUBLEBUFFER and GLX_STEREO stand
// alone, every other attribute is followed by its value.
bool VisualAsksAccum(const int *list)
{
    for (; list && *list != None; ++list) {
        if (*list == GLX_RGBA || *list == GLX_DOUBLEBUFFER || *list == GLX_STEREO) continue;
        if (IsAccum(list[0]) && list[1] > 0) return true;
        ++list;
    }
    return false;
}

// glXChooseFBConfig's list: pairs throughout.
bool ConfigAsksAccum(const int *list)
{
    for (; list && *list != None; list += 2)
        if (IsAccum(list[0]) && list[1] > 0) return true;
    return false;
}

XVisualInfo *ChooseVisual(Display *display, int screen, int *list)
{
    if (VisualAsksAccum(list)) return nullptr;
    return Real<XVisualInfo *(*)(Display *, int, int *)>("glXChooseVisual")(display, screen, list);
}

GLXFBConfig *ChooseFBConfig(Display *display, int screen, const int *list, int *count)
{
    if (ConfigAsksAccum(list)) {
        if (count) *count = 0;
        return nullptr;
    }
    return Real<GLXFBConfig *(*)(Display *, int, const int *, int *)>("glXChooseFBConfig")(
        display, screen, list, count);
}

__GLXextFuncPtr GetProcAddress(const GLubyte *name)
{
    const char *text = reinterpret_cast<const char *>(name);
    if (std::strcmp(text, "glXChooseVisual") == 0)
        return reinterpret_cast<__GLXextFuncPtr>(ChooseVisual);
    if (std::strcmp(text, "glXChooseFBConfig") == 0)
        return reinterpret_cast<__GLXextFuncPtr>(ChooseFBConfig);
    return Real<__GLXextFuncPtr (*)(const GLubyte *)>("glXGetProcAddressARB")(name);
}

} // namespace

// The exported names call the functions above, which are reached directly:
// a reference to an exported name from inside this library could bind to
// libGL's, loaded first.
extern "C" {

XVisualInfo *glXChooseVisual(Display *display, int screen, int *list)
{
    return ChooseVisual(display, screen, list);
}

GLXFBConfig *glXChooseFBConfig(Display *display, int screen, const int *list, int *count)
{
    return ChooseFBConfig(display, screen, list, count);
}

__GLXextFuncPtr glXGetProcAddressARB(const GLubyte *name)
{
    return GetProcAddress(name);
}

__GLXextFuncPtr glXGetProcAddress(const GLubyte *name)
{
    return GetProcAddress(name);
}

} // extern "C"

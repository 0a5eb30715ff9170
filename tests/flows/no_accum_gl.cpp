// no-accum-gl - libGL for the flows, refusing every configuration with an accumulation buffer,
// as some drivers do (llvmpipe grants one). SDL loads it in place of libGL.so.1; -Bsymbolic, so
// that the names it hands out are its own, not those of libGL, loaded first.

#include <GL/glx.h>

#include <dlfcn.h>

#include <cstring>

namespace {

template <class F>
F Real(const char *name)
{
    static void *gl = dlopen("libGL.so.1", RTLD_NOW | RTLD_GLOBAL);
    return reinterpret_cast<F>(dlsym(gl, name));
}

// The attribute at `p` asks for accumulation bits.
bool AsksAccum(const int *p)
{
    return p[0] >= GLX_ACCUM_RED_SIZE && p[0] <= GLX_ACCUM_ALPHA_SIZE && p[1] > 0;
}

} // namespace

extern "C" {

// GLX_RGBA, GLX_DOUBLEBUFFER and GLX_STEREO stand alone, other attributes have a value.
XVisualInfo *glXChooseVisual(Display *display, int screen, int *list)
{
    for (const int *p = list; p && *p != None; ++p) {
        if (*p == GLX_RGBA || *p == GLX_DOUBLEBUFFER || *p == GLX_STEREO) continue;
        if (AsksAccum(p)) return nullptr;
        ++p;
    }
    return Real<decltype(&glXChooseVisual)>("glXChooseVisual")(display, screen, list);
}

// The list: pairs throughout.
GLXFBConfig *glXChooseFBConfig(Display *display, int screen, const int *list, int *count)
{
    for (const int *p = list; p && *p != None; p += 2) {
        if (!AsksAccum(p)) continue;
        if (count) *count = 0;
        return nullptr;
    }
    return Real<decltype(&glXChooseFBConfig)>("glXChooseFBConfig")(display, screen, list, count);
}

__GLXextFuncPtr glXGetProcAddressARB(const GLubyte *name)
{
    const char *text = reinterpret_cast<const char *>(name);
    if (std::strcmp(text, "glXChooseVisual") == 0)
        return reinterpret_cast<__GLXextFuncPtr>(glXChooseVisual);
    if (std::strcmp(text, "glXChooseFBConfig") == 0)
        return reinterpret_cast<__GLXextFuncPtr>(glXChooseFBConfig);
    return Real<decltype(&glXGetProcAddressARB)>("glXGetProcAddressARB")(name);
}

} // extern "C"

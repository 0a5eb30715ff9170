// runtime_windows.cpp - runtime.h on Windows.
//
// The C runtime's environment (_putenv_s) is the one SDL.dll reads. The
// OpenGL driver (opengl32.dll and the vendor's) is left as it is: nothing
// here unloads it before the process ends.

#include "runtime.h"

#include <cstdlib>

namespace platform {

void SetEnvironmentDefault(const char *name, const char *value)
{
    if (!std::getenv(name)) _putenv_s(name, value);
}

void KeepOpenGLDriverLoaded() {}

} // namespace platform

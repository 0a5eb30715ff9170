// runtime_windows.cpp - runtime.h on Windows.
//
// The C runtime's environment (_putenv_s, which sets the process's too) is
// the one SDL.dll reads. The OpenGL driver (opengl32.dll and the vendor's) is
// left as it is: nothing here unloads it before the process ends.

#include "runtime.h"

#include <cstdlib>

namespace platform {

bool SetEnvironmentDefault(const char *name, const char *value)
{
    return !std::getenv(name) && _putenv_s(name, value) == 0;
}

void UnsetEnvironment(const char *name)
{
    _putenv_s(name, ""); // an empty value removes the variable
}

void KeepOpenGLDriverLoaded() {}

} // namespace platform

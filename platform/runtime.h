// runtime.h - what the display library asks of the process it runs in: a
// default for a variable that the SDL runtime reads, and the OpenGL driver
// kept loaded until the process ends.
//
// One implementation per family of systems (runtime_posix.cpp,
// runtime_windows.cpp), each behind this same interface. Nothing here throws.
#pragma once

namespace platform {

// Sets the environment variable `name` to `value` unless it is set already
// (to anything, empty included), so that a value the user chose stays. For
// the C library's environment, which SDL reads through getenv.
void SetEnvironmentDefault(const char *name, const char *value);

// Makes the OpenGL driver loaded in this process (Mesa's "..._dri.so") stay
// loaded until the process ends, whoever closes it: a later dlclose, SDL's
// among them, then leaves its code and symbols in place. Does nothing where
// no such driver is loaded, and on systems whose drivers are not unloaded
// that way.
void KeepOpenGLDriverLoaded();

} // namespace platform

// runtime.h - what the display library and the programs ask of the process
// they run in: defaults for variables that the SDL runtime reads, and the
// OpenGL driver kept loaded until the process ends.
//
// One implementation per family of systems (runtime_posix.cpp,
// runtime_windows.cpp), each behind this same interface. Nothing here throws.
#pragma once

namespace platform {

// Sets the environment variable `name` to `value` unless it is set already
// (to anything, empty included), so that a value the user chose stays. For
// the C library's environment, which SDL reads through getenv. True when it
// set the variable.
bool SetEnvironmentDefault(const char *name, const char *value);

// Removes the environment variable `name`.
void UnsetEnvironment(const char *name);

// SetEnvironmentDefault for a scope: a variable it set goes again at the
// scope's end, so that the programs started later see the user's own
// environment.
class environment_default {
  public:
    environment_default(const char *name, const char *value)
        : name_(name), set_(SetEnvironmentDefault(name, value))
    {
    }
    ~environment_default()
    {
        if (set_) UnsetEnvironment(name_);
    }
    environment_default(const environment_default &) = delete;
    environment_default &operator=(const environment_default &) = delete;

  private:
    const char *name_;
    bool set_;
};

// Makes the OpenGL driver loaded in this process (Mesa's "..._dri.so") stay
// loaded until the process ends, whoever closes it: a later dlclose, SDL's
// among them, then leaves its code and symbols in place. Does nothing where
// no such driver is loaded, and on systems whose drivers are not unloaded
// that way.
void KeepOpenGLDriverLoaded();

} // namespace platform

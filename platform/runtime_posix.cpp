// runtime_posix.cpp - runtime.h on POSIX systems.
//
// The driver is pinned by opening it again with RTLD_NODELETE (and
// RTLD_NOLOAD, so that nothing new is loaded), found among the loaded objects
// by its name; that walk (dl_iterate_phdr) is glibc's and the BSDs', so other
// systems keep their drivers as they are.

#include "runtime.h"

#include <cstdlib>

#ifdef __linux__
#include <dlfcn.h>
#include <link.h>

#include <string_view>
#endif

namespace platform {

bool SetEnvironmentDefault(const char *name, const char *value)
{
    return !std::getenv(name) && setenv(name, value, 0) == 0;
}

void UnsetEnvironment(const char *name)
{
    unsetenv(name);
}

void KeepOpenGLDriverLoaded()
{
#ifdef __linux__
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *) {
            if (std::string_view(info->dlpi_name ? info->dlpi_name : "").ends_with("_dri.so"))
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
#endif
}

} // namespace platform

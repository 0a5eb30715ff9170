// portable.h - what the tests need from the system, the same on POSIX
// systems and on Windows (where the unit tests run under Wine): setting the
// environment, a scratch folder of the process's own, and making every write
// that would grow a file fail, as on a full disk, where the system can.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#ifdef _WIN32
inline constexpr bool on_windows = true;
#else
inline constexpr bool on_windows = false;
#endif

#ifdef _WIN32
extern "C" __declspec(dllimport) unsigned long __stdcall GetCurrentProcessId();
inline long process_id()
{
    return static_cast<long>(GetCurrentProcessId());
}

// POSIX's names for the C runtime's environment, which SDL.dll shares.
inline int setenv(const char *name, const char *value, int overwrite)
{
    if (!overwrite && std::getenv(name)) return 0;
    return _putenv_s(name, value);
}
#else
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

inline long process_id()
{
    return static_cast<long>(getpid());
}
#endif

// While it lives (and `on`), a write that would make a file longer fails
// (EFBIG) instead of ending the process, where the system has a file-size
// limit (`supported`); elsewhere it does nothing.
class no_file_growth {
  public:
#ifdef _WIN32
    static constexpr bool supported = false;
    explicit no_file_growth(bool = true) {}
#else
    static constexpr bool supported = true;
    explicit no_file_growth(bool on = true) : on_(on)
    {
        if (!on_) return;
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &before_);
        rlimit none = before_;
        none.rlim_cur = 0;
        setrlimit(RLIMIT_FSIZE, &none);
    }
    ~no_file_growth()
    {
        if (on_) setrlimit(RLIMIT_FSIZE, &before_);
    }
    no_file_growth(const no_file_growth &) = delete;
    no_file_growth &operator=(const no_file_growth &) = delete;

  private:
    bool on_;
    rlimit before_{};
#endif
};

// A scratch folder named after the process, and the working folder for the
// object's lifetime unless `enter` is false: entered after opening a display,
// which reads vantor.ttf from the build folder.
struct scratch_dir {
    std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("vantor-test-" + std::to_string(process_id()));
    explicit scratch_dir(bool enter = true)
    {
        std::filesystem::create_directories(dir);
        if (enter) std::filesystem::current_path(dir);
    }
    ~scratch_dir() { std::filesystem::current_path(before), std::filesystem::remove_all(dir); }
};

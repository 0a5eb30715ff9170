// portable.h - the system as the tests need it, on POSIX and on Windows (Wine).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#ifdef _WIN32
inline constexpr bool on_windows = true;

// POSIX's name for the C runtime's environment, which SDL.dll shares.
inline int setenv(const char *name, const char *value, int)
{
    return _putenv_s(name, value);
}

// Windows has no file-size limit to make writes fail.
struct no_file_growth {
    static constexpr bool supported = false;
    explicit no_file_growth(bool = true) {}
};
#else
#include <csignal>
#include <sys/resource.h>
inline constexpr bool on_windows = false;

// While it lives (and `on`), a write that would grow a file fails (EFBIG).
class no_file_growth {
  public:
    static constexpr bool supported = true;
    explicit no_file_growth(bool on = true) : on_(on)
    {
        if (!on_) return;
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &before_);
        const rlimit none{0, before_.rlim_max};
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
};
#endif

// A scratch folder of the test's own; the working folder unless `enter` is false.
struct scratch_dir {
    std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("vantor-test-" + std::to_string(std::random_device{}()));
    explicit scratch_dir(bool enter = true)
    {
        std::filesystem::create_directories(dir);
        if (enter) std::filesystem::current_path(dir);
    }
    ~scratch_dir() { std::filesystem::current_path(before), std::filesystem::remove_all(dir); }
};

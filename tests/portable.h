// portable.h - the system as the tests need it, on POSIX and on Windows (Wine).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>

#ifdef _WIN32
inline constexpr bool on_windows = true;

// POSIX's name for the C runtime's environment, which SDL.dll shares.
inline int setenv(const char *name, const char *value, int)
{
    return _putenv_s(name, value);
}
#else
#include <csignal>
#include <sys/resource.h>
inline constexpr bool on_windows = false;
#endif

// f() while a write that would grow a file fails (EFBIG); Windows has no such limit.
template <class F>
int WithDiskFull(F f)
{
#ifndef _WIN32
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    const rlimit none{0, before.rlim_max};
    setrlimit(RLIMIT_FSIZE, &none);
    const int result = f();
    setrlimit(RLIMIT_FSIZE, &before);
    return result;
#else
    return f();
#endif
}

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

// The names in folder `dir`.
inline std::set<std::string> Entries(const std::filesystem::path &dir)
{
    std::set<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

// The bytes of `file`, empty when it cannot be read.
inline std::string Contents(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

# mingw-w64.cmake - CMake toolchain for 64-bit Windows programs built on Debian
# with mingw-w64 (packages g++-mingw-w64-x86-64-posix, mingw-w64-tools).
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DVANTOR_WIN_DEPS=PREFIX
#
# PREFIX holds the libraries that Debian does not ship for mingw (zlib,
# libpng, FreeType, SDL 1.2, GoogleTest), as tools/windows-deps builds them;
# it may also come from the environment variable of the same name. Libraries
# and headers are looked up there and in the mingw-w64 system root only, never
# in the build machine's /usr. The posix flavour of the compilers is named
# explicitly: its C++ library has std::thread and std::mutex, and it does not
# depend on which flavour the alternatives system points at.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VANTOR_MINGW_HOST x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${VANTOR_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANTOR_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${VANTOR_MINGW_HOST}-windres)

if(NOT VANTOR_WIN_DEPS AND DEFINED ENV{VANTOR_WIN_DEPS})
  set(VANTOR_WIN_DEPS $ENV{VANTOR_WIN_DEPS})
endif()
# try_compile projects read this file again: hand them the prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VANTOR_WIN_DEPS)

set(CMAKE_FIND_ROOT_PATH ${VANTOR_WIN_DEPS} /usr/${VANTOR_MINGW_HOST})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

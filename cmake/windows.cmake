# windows.cmake - what the Windows build (cmake/mingw-w64.cmake) adds to the
# project: the libraries Debian does not ship for mingw, the tools that run
# during the build, and the programs' resources and linking.
#
# Libraries: VANTOR_WIN_DEPS names the prefix tools/windows-deps built (zlib,
# libpng, FreeType, SDL 1.2, GoogleTest); the toolchain file searches it. SDL
# is the DLL SDL.dll, copied beside each program; everything else, the C and
# C++ runtimes included, is linked statically, so the programs need no other
# DLL than Windows' own.
#
# Entry: the programs' own (platform/windows_entry.cpp), not SDL's SDLmain,
# which would write stdout.txt and stderr.txt beside the program, into the
# folder it is installed in.
#
# Build-time tools: logo-gen draws logo.png and the icons on the build
# machine, so it comes from cmake/host-tools, configured and built in
# host-tools/ of the build folder with the build machine's compiler, and
# imported here under its usual name.
#
# Depends on: the toolchain file, tools/windows-deps, packaging/windows (the
# resource script and the manifest).

if(NOT VANTOR_WIN_DEPS OR NOT EXISTS "${VANTOR_WIN_DEPS}/.built")
  message(FATAL_ERROR "VANTOR_WIN_DEPS must name the folder that tools/windows-deps prints "
                      "(the Windows build's libraries); `make windows` sets it")
endif()

enable_language(RC)

# windows.h must not define min and max over std::min and std::max.
add_compile_definitions(NOMINMAX)
# Every program (the tests too) has the C and C++ runtimes linked in.
add_link_options(-static)

# CTest runs the test programs under Wine, headless, in a Wine prefix of the
# build folder (tests/windows).
set(CMAKE_CROSSCOMPILING_EMULATOR env -u DISPLAY ${PROJECT_SOURCE_DIR}/tests/windows/wine-run
    ${CMAKE_BINARY_DIR}/wine/units)

add_library(vantor_sdl SHARED IMPORTED)
set_target_properties(vantor_sdl PROPERTIES
  IMPORTED_IMPLIB ${VANTOR_WIN_DEPS}/lib/libSDL.dll.a
  IMPORTED_LOCATION ${VANTOR_WIN_DEPS}/bin/SDL.dll
  INTERFACE_INCLUDE_DIRECTORIES ${VANTOR_WIN_DEPS}/include/SDL)
set(VANTOR_SDL vantor_sdl)

# The static FreeType needs zlib, which its find module does not say.
find_package(ZLIB REQUIRED)
find_package(Freetype REQUIRED)
target_link_libraries(Freetype::Freetype INTERFACE ZLIB::ZLIB)

# The build machine's tools.
include(ExternalProject)
set(host_tools ${CMAKE_BINARY_DIR}/host-tools)
ExternalProject_Add(host-tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}/cmake/host-tools
  BINARY_DIR ${host_tools}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DVANTOR_WERROR=${VANTOR_WERROR}
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${host_tools}/logo-gen)
add_executable(logo-gen IMPORTED)
set_target_properties(logo-gen PROPERTIES IMPORTED_LOCATION ${host_tools}/logo-gen)

# The icon file every program's resources include.
set(VANTOR_ICO ${CMAKE_BINARY_DIR}/vantor.ico)
add_custom_command(OUTPUT ${VANTOR_ICO}
  COMMAND logo-gen --ico ${VANTOR_ICO}
  DEPENDS host-tools ${host_tools}/logo-gen
  COMMENT "Drawing vantor.ico")
add_custom_target(windows-icon DEPENDS ${VANTOR_ICO})

# Makes `target` a Windows GUI program called `name`: no console window, the
# icon, version and manifest resources, the runtimes linked in and SDL.dll
# copied beside it.
function(vantor_windows_program target name)
  set(VANTOR_PROGRAM ${target})
  set(VANTOR_NAME ${name})
  set(VANTOR_ICO_PATH ${VANTOR_ICO})
  set(VANTOR_MANIFEST_PATH ${PROJECT_SOURCE_DIR}/packaging/windows/program.manifest)
  string(REPLACE "." "," VANTOR_VERSION_COMMAS "${VANTOR_VERSION}")
  set(rc ${CMAKE_BINARY_DIR}/resources/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${rc} @ONLY)
  set_source_files_properties(${rc} PROPERTIES
    OBJECT_DEPENDS "${VANTOR_ICO};${VANTOR_MANIFEST_PATH}")
  target_sources(${target} PRIVATE ${rc})
  add_dependencies(${target} windows-icon)
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_RUNTIME_DLLS:${target}>
            $<TARGET_FILE_DIR:${target}>
    COMMAND_EXPAND_LISTS)
endfunction()

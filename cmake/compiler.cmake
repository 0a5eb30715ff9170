# compiler.cmake - the language level and the warnings of every build of the
# project's own code (the project itself and the host tools of a cross build),
# with g++ and clang++ alike. Warnings are errors in our own builds (the
# Makefile's, CI's) through VANTOR_WERROR; a user's or a distribution's build,
# with another compiler version or other flags, must not fail on a warning, so
# it is off by default.

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
option(VANTOR_WERROR "Treat compiler warnings as errors" OFF)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
  if(VANTOR_WERROR)
    add_compile_options(-Werror)
  endif()
endif()

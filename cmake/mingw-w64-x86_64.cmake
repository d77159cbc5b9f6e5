# Cross build for 64-bit Windows with MinGW-w64; the results run under Wine.
# Usage: cmake -S . -B build/mingw -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)
# The "posix" thread model where the distribution offers both: GoogleTest
# needs std::mutex, which the "win32" model's library lacks. The winpthreads
# runtime it brings is linked statically like the rest.
find_program(MINGW_CC NAMES ${MINGW_TRIPLET}-gcc-posix ${MINGW_TRIPLET}-gcc REQUIRED)
find_program(MINGW_CXX NAMES ${MINGW_TRIPLET}-g++-posix ${MINGW_TRIPLET}-g++ REQUIRED)
set(CMAKE_C_COMPILER ${MINGW_CC})
set(CMAKE_CXX_COMPILER ${MINGW_CXX})
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)
# CMake cannot derive the binutils' prefix from a "-posix" compiler name; the
# release's stripping needs the target's own strip.
find_program(CMAKE_STRIP NAMES ${MINGW_TRIPLET}-strip REQUIRED)

# GCC 12 at -O3 reports a false -Wrestrict overlap inside std::string when a
# literal is prepended to a temporary string (GCC bug 105329); it stays a
# warning here instead of failing the build.
set(CMAKE_CXX_FLAGS_INIT "-Wno-error=restrict")

# Only the target's own headers and libraries; programs (Python for the
# GoogleTest build, for example) still come from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest and try_run start the .exe files through Wine.
find_program(WINE_PROGRAM NAMES wine wine64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_PROGRAM})

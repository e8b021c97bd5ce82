# Cross build for 64-bit Windows with MinGW-w64 (posix threads), static runtime.
# The release is i686; this tree keeps the sources 64-bit clean and carries the
# Windows tests on machines that run no 32-bit code.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Both Windows trees build on every machine; a warning in either word size
# (a truncated pointer, a mismatched cast) stops the build where it is made.
set(CMAKE_C_FLAGS_INIT "-Werror")
set(CMAKE_CXX_FLAGS_INIT "-Werror")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Windows test programs run under 64-bit Wine, so one ctest runs both builds.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)

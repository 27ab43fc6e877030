# Cross-builds the library and kovr for 64-bit Windows with Debian's
# mingw-w64 (g++-mingw-w64-x86-64-posix): the posix flavour, whose C++
# runtime has std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KOVR_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KOVR_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KOVR_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KOVR_MINGW_TRIPLET}-windres)
set(CMAKE_DLLTOOL ${KOVR_MINGW_TRIPLET}-dlltool)

# Libraries and headers come from the target's root only; build tools from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${KOVR_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own runtime (libstdc++, libgcc, winpthread) goes into each
# binary, so that the DLL and kovr.exe import Windows system DLLs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# MinGW-w64 i686 cross build. The -posix compilers: the win32 threading flavour lacks std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(BRELLIX_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${BRELLIX_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRELLIX_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${BRELLIX_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${BRELLIX_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Only the exe is built here (no 32-bit Wine on the build machine to run tests with).

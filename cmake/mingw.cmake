# MinGW-w64 cross build; BRELLIX_TRIPLET (set by the preset) picks x86_64 or i686. The -posix
# compilers: the win32 threading flavour lacks std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT DEFINED BRELLIX_TRIPLET)
  set(BRELLIX_TRIPLET x86_64-w64-mingw32)
endif()
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR ${BRELLIX_TRIPLET})
set(CMAKE_C_COMPILER ${BRELLIX_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRELLIX_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${BRELLIX_TRIPLET}-windres)
# The gcc wrappers of ar and ranlib: the product's libraries hold link-time-optimisation objects.
set(CMAKE_AR /usr/bin/${BRELLIX_TRIPLET}-gcc-ar-posix)
set(CMAKE_RANLIB /usr/bin/${BRELLIX_TRIPLET}-gcc-ranlib-posix)
set(CMAKE_FIND_ROOT_PATH /usr/${BRELLIX_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests built here run under Wine; the wrapper sets up the project's private prefix. (The 32-bit
# build runs none: the build machine has no 32-bit Wine.)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec.sh)

# Cross build for Windows with Debian's MinGW-w64 (posix thread model).
# TARGET_ARCH selects the PE machine: x86_64 (default) or i686.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT DEFINED TARGET_ARCH)
  set(TARGET_ARCH x86_64)
endif()
set(TARGET_ARCH ${TARGET_ARCH} CACHE STRING "PE machine: x86_64 or i686")
set(CMAKE_SYSTEM_PROCESSOR ${TARGET_ARCH})
set(_prefix ${TARGET_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER   ${_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_prefix}-g++-posix)
set(CMAKE_RC_COMPILER  ${_prefix}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The program and the DLLs carry their own C++ runtime: nothing of the
# compiler has to be copied next to them.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")


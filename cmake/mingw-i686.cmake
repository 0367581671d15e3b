# Cross toolchain for 32-bit Windows (95 family) with MinGW-w64 i686.
# Use: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake ...
set(CMAKE_SYSTEM_NAME Windows)
if(NOT DEFINED MINGW_PREFIX)  # mingw-x86_64.cmake sets its own
  set(CMAKE_SYSTEM_PROCESSOR i686)
  set(MINGW_PREFIX i686-w64-mingw32)
endif()
set(CMAKE_C_COMPILER ${MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The target machines have no MinGW runtime DLLs, so everything is linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
if(MINGW_PREFIX STREQUAL "i686-w64-mingw32")
  # Windows 95 and 98 run programs marked for subsystem 3.x or 4.0 only, and the linker's
  # default is not ours to rely on. Console or GUI stays the programs' own choice.
  string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT
         " -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0"
         " -Wl,--major-os-version,4 -Wl,--minor-os-version,0")
endif()

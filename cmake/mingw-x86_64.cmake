# Cross toolchain for 64-bit Windows with MinGW-w64 x86_64. The programs are built for 32-bit
# Windows; this build only lets their Wine tests run on a kernel that refuses 32-bit programs.
# Use: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake ...
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)

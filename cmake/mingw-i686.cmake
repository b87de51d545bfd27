# 32-bit Windows: cmake --preset windows (or --toolchain cmake/mingw-i686.cmake).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VELK0_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)

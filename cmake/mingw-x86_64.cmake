# 64-bit Windows build of the same sources. The program ships as the 32-bit
# build; this one lets the Windows tests run under the 64-bit Wine loader on
# machines whose kernel cannot run 32-bit x86 code.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(VELK0_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)

# Shared part of the MinGW-w64 toolchain files: a statically linked Windows
# console program, built with the POSIX-threads flavour of the cross compiler
# when it is installed (the full C++ thread library), and run under Wine when
# CTest runs the tests. Set VELK0_MINGW_TRIPLE before including this file.

set(CMAKE_SYSTEM_NAME Windows)

macro(velk0_find_mingw_tool var name)
  find_program(${var} NAMES ${VELK0_MINGW_TRIPLE}-${name}-posix ${VELK0_MINGW_TRIPLE}-${name}
               REQUIRED)
endmacro()
velk0_find_mingw_tool(CMAKE_C_COMPILER gcc)
velk0_find_mingw_tool(CMAKE_CXX_COMPILER g++)
find_program(CMAKE_RC_COMPILER NAMES ${VELK0_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELK0_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything static: the program is one .exe with no DLL of the compiler's.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CTest runs the test programs (and lists the GoogleTest cases) under Wine,
# in a prefix of the build tree's own.
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;--prefix=${CMAKE_BINARY_DIR}/wine")

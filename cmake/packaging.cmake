# The packages: the Debian package (settings in install.cmake) and, for
# Windows, an NSIS installer and a ZIP archive, all under the licence of the
# project, the GNU GPL version 3 or later (LICENSE).
#
#   cmake --preset windows && cmake --build --preset windows
#   (cd build/windows && cpack)        velk0-VERSION-win32.exe and .zip
#
# The Windows packages hold the programs in bin/ (put on the PATH by the
# installer), the data folder korvane/ as the programs make it at their first
# use, with the copier vantrel.exe that velk0 starts from there, a French
# README.txt and the licence. The installer copies korvane/ to the root of the
# Windows drive when no \korvane\ is there yet; the uninstaller takes back
# what it put there.

set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# The NSIS commands below are written into CPack's configuration as they are.
set(CPACK_VERBATIM_VARIABLES ON)

if(WIN32)
  # The data folder, written by a small program of the build machine from the
  # programs' own sources.
  find_program(VELK0_HOST_CXX NAMES c++ g++ clang++ REQUIRED)
  set(VELK0_DATA_ROOT ${PROJECT_BINARY_DIR}/data-folder)
  # The programs' own code for it: the layers from midi/ down, which stand
  # alone, without any backend.
  file(GLOB VELK0_DATA_SOURCES CONFIGURE_DEPENDS src/midi/*.cpp src/core/*.cpp
       src/platform/common/*.cpp src/platform/posix/system/*.cpp)
  file(GLOB VELK0_DATA_HEADERS CONFIGURE_DEPENDS src/core/*.h src/midi/*.h src/platform/*.h
       src/platform/common/*.h src/platform/posix/system/*.h)
  set(maker ${PROJECT_BINARY_DIR}/make_data_folder)
  add_custom_command(OUTPUT ${VELK0_DATA_ROOT}/korvane/midiinit.dev
    COMMAND ${VELK0_HOST_CXX} -std=c++20 -I${PROJECT_SOURCE_DIR}/src
            ${PROJECT_SOURCE_DIR}/packaging/windows/make_data_folder.cpp ${VELK0_DATA_SOURCES}
            -o ${maker}
    COMMAND ${maker} ${VELK0_DATA_ROOT}
    DEPENDS packaging/windows/make_data_folder.cpp ${VELK0_DATA_SOURCES} ${VELK0_DATA_HEADERS}
    COMMENT "Making the data folder korvane/ of the Windows packages" VERBATIM)
  add_custom_target(velk0_data_folder ALL DEPENDS ${VELK0_DATA_ROOT}/korvane/midiinit.dev)

  set(CPACK_GENERATOR NSIS ZIP)
  set(CPACK_PACKAGING_INSTALL_PREFIX "")
  set(CPACK_PACKAGE_VENDOR velk0)
  set(CPACK_PACKAGE_INSTALL_DIRECTORY velk0)
  set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY velk0)
  set(CPACK_NSIS_PACKAGE_NAME velk0)
  set(CPACK_NSIS_DISPLAY_NAME velk0)
  set(CPACK_NSIS_MODIFY_PATH ON)
  # The options page of our own: the PATH for all users by default.
  set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/packaging/windows)
  # NSIS commands of our own: at the top of the script, at the end of the
  # installation, at the start of the uninstallation.
  set(parts DEFINES defines EXTRA_INSTALL_COMMANDS install EXTRA_UNINSTALL_COMMANDS uninstall)
  while(parts)
    list(POP_FRONT parts variable file)
    set(file ${PROJECT_SOURCE_DIR}/packaging/windows/${file}.nsh)
    file(READ ${file} commands)
    string(CONFIGURE "${commands}" CPACK_NSIS_${variable} @ONLY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
  endwhile()
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)  # the 64-bit build: a 64-bit installer
    string(PREPEND CPACK_NSIS_DEFINES "Target amd64-unicode\n")
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  endif()
  # Packaging installs what is built; it does not build the tests first.
  set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
endif()

include(CPack)

if(WIN32)
  # Texts for Windows: CR LF line ends, the README in UTF-8 with its byte
  # order mark, which every Windows text viewer reads as UTF-8.
  string(ASCII 239 187 191 VELK0_BOM)
  configure_file(packaging/windows/README.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(LICENSE LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/README.txt ${PROJECT_BINARY_DIR}/LICENSE.txt DESTINATION .)
  install(DIRECTORY ${VELK0_DATA_ROOT}/korvane/ DESTINATION korvane)
  install(TARGETS vantrel RUNTIME DESTINATION korvane)

  # The installer under Wine, once the packages are built.
  if(TEST windows.installer)
    add_test(NAME windows.packages
             COMMAND ${CMAKE_CPACK_COMMAND} -G "NSIS;ZIP" --config CPackConfig.cmake
             WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
    set_tests_properties(windows.packages PROPERTIES FIXTURES_SETUP velk0_packages TIMEOUT 300)
    set_tests_properties(windows.installer PROPERTIES FIXTURES_REQUIRED velk0_packages)
  endif()
endif()

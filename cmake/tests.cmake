if(CMAKE_CROSSCOMPILING)
  # Debian ships the GoogleTest sources; build them for the target.
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(VELK0_GTEST gtest gtest_main)
else()
  find_package(GTest REQUIRED)
  set(VELK0_GTEST GTest::gtest GTest::gtest_main)
endif()
include(GoogleTest)

file(GLOB VELK0_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cpp)
add_executable(velk0_tests ${VELK0_UNIT_TESTS})
target_link_libraries(velk0_tests PRIVATE velk0_core velk0_platform_common ${VELK0_GTEST})
if(WIN32)
  target_link_options(velk0_tests PRIVATE -static -static-libgcc -static-libstdc++)
endif()
gtest_discover_tests(velk0_tests DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 120)

# End-to-end runs of the real executable through its trace.
if(NOT CMAKE_CROSSCOMPILING AND TARGET velk0)
  file(GLOB VELK0_E2E_TESTS CONFIGURE_DEPENDS tests/e2e/*.sh)
  list(FILTER VELK0_E2E_TESTS EXCLUDE REGEX "/lib\\.sh$")
  foreach(script ${VELK0_E2E_TESTS})
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME e2e.${name} COMMAND bash ${script} $<TARGET_FILE:velk0>)
    set_tests_properties(e2e.${name} PROPERTIES TIMEOUT 300)
  endforeach()
endif()

# The POSIX backends (synthesizer, WAV rendering, clock, terminal boxes), which
# need the sound libraries and so stay out of the portable unit tests.
if(NOT WIN32)
  file(GLOB VELK0_POSIX_TESTS CONFIGURE_DEPENDS tests/posix/*.cpp)
  file(GLOB VELK0_POSIX_BACKENDS CONFIGURE_DEPENDS src/platform/posix/*.cpp)
  list(FILTER VELK0_POSIX_BACKENDS EXCLUDE REGEX "/main\\.cpp$")
  add_executable(velk0_posix_tests ${VELK0_POSIX_TESTS} ${VELK0_POSIX_BACKENDS})
  target_link_libraries(velk0_posix_tests PRIVATE velk0_platform_common
    PkgConfig::FLUIDSYNTH PkgConfig::RTMIDI PkgConfig::SDL2 util ${VELK0_GTEST})
  gtest_discover_tests(velk0_posix_tests DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 120)
endif()

if(CMAKE_CROSSCOMPILING)
  # Debian ships the GoogleTest sources; build them for the target. On Windows
  # GoogleTest uses the system's own threads, so no pthread library is needed.
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(VELK0_GTEST gtest gtest_main)
  # The cases are listed when CTest runs, under the emulator (Wine), so that
  # building never needs to run a Windows program.
  set(VELK0_DISCOVERY DISCOVERY_MODE PRE_TEST)
else()
  find_package(GTest REQUIRED)
  set(VELK0_GTEST GTest::gtest GTest::gtest_main)
  set(VELK0_DISCOVERY)
endif()
include(GoogleTest)

# The General MIDI SoundFonts every test that measures sound measures with,
# each by name: the small one the build needs, and the one most users of
# FluidSynth have (scripts/install-deps.sh --tests installs both). A test
# measured with one that is not installed is skipped.
set(VELK0_TEST_SOUNDFONTS /usr/share/sounds/sf2/TimGM6mb.sf2 /usr/share/sounds/sf2/FluidR3_GM.sf2)

# Whether the test programs can run here at all: the 32-bit Windows build
# needs a kernel that runs 32-bit x86 code for the 32-bit Wine loader.
set(VELK0_RUN_TESTS ON)
if(CMAKE_CROSSCOMPILING AND WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(VELK0_WINDOWS_ARCH i386)
  else()
    set(VELK0_WINDOWS_ARCH amd64)
  endif()
  execute_process(COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --can-run-arch ${VELK0_WINDOWS_ARCH}
                  RESULT_VARIABLE VELK0_CAN_RUN OUTPUT_QUIET ERROR_QUIET)
  if(NOT VELK0_CAN_RUN EQUAL 0)
    set(VELK0_RUN_TESTS OFF)
    message(WARNING "Wine cannot run ${VELK0_WINDOWS_ARCH} programs on this machine: the tests "
                    "are built but not run (CTest reports them as skipped).")
    add_test(NAME windows.cannot_run
             COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --why-not ${VELK0_WINDOWS_ARCH})
    set_tests_properties(windows.cannot_run PROPERTIES SKIP_RETURN_CODE 77)
  endif()
endif()

# The whole-platform fixture on the test doubles, shared by every test.
file(GLOB VELK0_TEST_SUPPORT CONFIGURE_DEPENDS tests/support/*.cpp)
list(FILTER VELK0_TEST_SUPPORT EXCLUDE REGEX "/test_doubles\\.cpp$")
add_library(velk0_test_support STATIC ${VELK0_TEST_SUPPORT})
target_include_directories(velk0_test_support PUBLIC tests/support)
target_link_libraries(velk0_test_support PUBLIC velk0_core velk0_test_doubles ${VELK0_GTEST})
velk0_warnings(velk0_test_support)

file(GLOB VELK0_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cpp)
add_executable(velk0_tests ${VELK0_UNIT_TESTS})
target_link_libraries(velk0_tests PRIVATE velk0_test_support)
velk0_warnings(velk0_tests)
if(VELK0_RUN_TESTS)
  gtest_discover_tests(velk0_tests ${VELK0_DISCOVERY} DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 120)
endif()

# End-to-end runs of the real executable through its trace.
if(NOT CMAKE_CROSSCOMPILING AND TARGET velk0)
  file(GLOB VELK0_E2E_TESTS CONFIGURE_DEPENDS tests/e2e/*.sh)
  list(FILTER VELK0_E2E_TESTS EXCLUDE REGEX "/lib\\.sh$")
  # The hostile argument lists are worth their time where the sanitizers watch.
  if(NOT VELK0_SANITIZE)
    list(FILTER VELK0_E2E_TESTS EXCLUDE REGEX "/hostile_[^/]*\\.sh$")
  endif()
  set(e2e_tests "")
  set(jack_tests "")
  foreach(script ${VELK0_E2E_TESTS})
    get_filename_component(name ${script} NAME_WE)
    file(STRINGS ${script} starts_jack REGEX "start_jack_server")
    # A script that measures sound runs once with each SoundFont.
    file(STRINGS ${script} measures REGEX "^measure_with_soundfont ")
    if(measures)
      foreach(soundfont ${VELK0_TEST_SOUNDFONTS})
        get_filename_component(font ${soundfont} NAME_WE)
        add_test(NAME e2e.${name}.${font} COMMAND bash ${script} $<TARGET_FILE:velk0> ${soundfont})
        list(APPEND e2e_tests e2e.${name}.${font})
        if(starts_jack)
          list(APPEND jack_tests e2e.${name}.${font})
        endif()
      endforeach()
    else()
      add_test(NAME e2e.${name} COMMAND bash ${script} $<TARGET_FILE:velk0>)
      list(APPEND e2e_tests e2e.${name})
      if(starts_jack)
        list(APPEND jack_tests e2e.${name})
      endif()
    endif()
  endforeach()
  # A script that cannot run here (a tool or SoundFont missing, no JACK server),
  # or cannot make every one of its checks, says why and ends with 77: skipped.
  set_tests_properties(${e2e_tests} PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77)
  # Alone: its X server, buses and dialogs would slow the timed runs beside it.
  set_tests_properties(e2e.desktop_dialogs e2e.desktop_dialogs_accessible PROPERTIES RUN_SERIAL ON)
  # Skipped where no JACK server can start.
  set_tests_properties(e2e.jack_ports e2e.listen_jack PROPERTIES TIMEOUT 120)
  # One dummy JACK server at a time: a run's client can fail to join a server
  # while several others start and stop beside it.
  if(jack_tests)
    set_tests_properties(${jack_tests} PROPERTIES RESOURCE_LOCK jack_server)
  endif()
endif()

# The POSIX backends (synthesizer, WAV rendering, clock, terminal boxes), which
# need the sound libraries and so stay out of the portable unit tests.
if(NOT WIN32)
  file(GLOB VELK0_POSIX_TESTS CONFIGURE_DEPENDS tests/posix/*.cpp)
  add_executable(velk0_posix_tests ${VELK0_POSIX_TESTS})
  target_include_directories(velk0_posix_tests PRIVATE tests/support)
  target_link_libraries(velk0_posix_tests PRIVATE velk0_platform_os util ${VELK0_GTEST})
  velk0_warnings(velk0_posix_tests)
  list(TRANSFORM VELK0_TEST_SOUNDFONTS REPLACE "(.+)" "\"\\1\"" OUTPUT_VARIABLE quoted)
  list(JOIN quoted "," quoted)
  target_compile_definitions(velk0_posix_tests PRIVATE "VELK0_TEST_SOUNDFONTS=${quoted}")
  gtest_discover_tests(velk0_posix_tests DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 120)
endif()

# The Windows backends (message boxes, winmm, performance-counter clock) and
# end-to-end runs of velk0.exe under Wine: real MessageBoxExA boxes on an Xvfb
# display, answered by keystrokes, and the trace of a dry run.
if(WIN32)
  file(GLOB VELK0_WIN32_TESTS CONFIGURE_DEPENDS tests/windows/*.cpp)
  add_executable(velk0_win32_tests ${VELK0_WIN32_TESTS})
  target_link_libraries(velk0_win32_tests PRIVATE velk0_core velk0_platform_os ${VELK0_GTEST})
  velk0_warnings(velk0_win32_tests)
  if(VELK0_RUN_TESTS)
    gtest_discover_tests(velk0_win32_tests ${VELK0_DISCOVERY} DISCOVERY_TIMEOUT 120
                         PROPERTIES TIMEOUT 120)
  endif()

  # What a Windows program reads on the clipboard, for the clipboard test.
  add_executable(velk0_clipboard_text tests/windows/tools/clipboard_text.cpp)
  velk0_warnings(velk0_clipboard_text)

  if(VELK0_RUN_TESTS AND CMAKE_CROSSCOMPILING_EMULATOR)
    file(GLOB VELK0_WINDOWS_E2E CONFIGURE_DEPENDS tests/windows/*.sh)
    list(FILTER VELK0_WINDOWS_E2E EXCLUDE REGEX "/lib\\.sh$")
    foreach(script ${VELK0_WINDOWS_E2E})
      get_filename_component(name ${script} NAME_WE)
      add_test(NAME windows.${name}
               COMMAND bash ${script} ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:velk0>)
      # One at a time: each owns the Wine session while its boxes are up.
      set_tests_properties(windows.${name} PROPERTIES TIMEOUT 300 RUN_SERIAL ON)
    endforeach()
  endif()
endif()

# Includes point down the layers only (checked once, on the native build).
if(NOT CMAKE_CROSSCOMPILING)
  add_test(NAME layers COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
           -P ${PROJECT_SOURCE_DIR}/cmake/layers.cmake)
endif()

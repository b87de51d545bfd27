# The layers of src/, top to bottom. A source file may include headers of its
# own folder and of the layers below its own, never of a layer above or of a
# folder beside it on the same line (folders of one line are separated by |). Outside platform/ no file includes the
# operating system's headers nor the sound libraries': those are reached only
# through the platform's interfaces. Every include of src/ names its folder: a
# header named alone is one of the tests' (tests/support/: the fakes, the
# fixtures), which are no part of the programs.
#
# Run as a test: cmake -DSOURCE_DIR=<root> -P cmake/layers.cmake
cmake_minimum_required(VERSION 3.20)

set(VELK0_LAYERS
  "app|companions"      # the entry and the argument loop; the companion programs
  "commands"            # the #, $ and @ commands and their dialogues
  "harmony|tablature"   # chords, spelling, scales; the notation, its readers, the player
  "midi"                # the output device, its messages and the timed wait
  "core"                # the settings record, capacities, messages, text helpers, text files
  "platform"            # everything that touches the operating system
)
# Inside platform/ the same rule holds floor by floor. Its root holds the
# factory (session.*) above the doubles and the portable helpers, and the small
# interfaces below everything (each of its other files).
set(VELK0_PLATFORM_FLOORS
  "posix|win32"         # the backend families
  "session"             # the factory at the root, which picks the backends and the doubles
  "doubles"             # trace, scripted answers, virtual clock and clipboard
  "common"              # the portable helpers: text conversion, files, cues, note guard
  "interfaces"          # the root's small interfaces
)
# And inside a backend family (posix/, win32/): its factory and entry at its
# root (*_backends.*, entry.cpp) above its concern folders, and its other root
# files, which every concern shares, below them.
set(VELK0_BACKEND_FLOORS
  "factory"             # the family's factory and entry
  "media"               # media files, played through audio/ and midi/
  "midi"                # the MIDI output devices
  "audio"               # the synthesizer and its sinks: the audio output, the WAV file
  "synth"               # the FluidSynth engine, its SoundFont loader, the render core and limiter
  "terminal|desktop"    # the boxes: as terminal lines, console lines; as desktop dialogs
  "processes"           # child processes, companions, clipboard tools
  "system"              # the system calls under the portable helpers
  "shared"              # what the family's concerns share
)
set(VELK0_SYSTEM_HEADERS
  windows.h mmsystem.h unistd.h fcntl.h poll.h termios.h pwd.h signal.h csignal time.h ctime
  thread chrono fstream iostream fluidsynth.h SDL.h RtMidi.h jack/jack.h jack/midiport.h
  jack/ringbuffer.h)

# The rank of each name of a table, 0 at the top, as <prefix>_<name>.
function(velk0_ranks prefix)
  set(rank 0)
  foreach(line IN LISTS ARGN)
    string(REPLACE "|" ";" names "${line}")
    foreach(name IN LISTS names)
      set(${prefix}_${name} ${rank} PARENT_SCOPE)
    endforeach()
    math(EXPR rank "${rank} + 1")
  endforeach()
endfunction()

# The floor of a path under platform/ (platform/posix/audio/x.h: posix), and
# under a backend family (posix/audio/x.h: audio).
function(velk0_platform_floor path out)
  if(path MATCHES "^([^/]+)/")
    set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
  elseif(path MATCHES "^session\\.")
    set(${out} session PARENT_SCOPE)
  else()
    set(${out} interfaces PARENT_SCOPE)
  endif()
endfunction()
function(velk0_backend_floor path out)
  if(path MATCHES "^[^/]+/([^/]+)/")
    set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
  elseif(path MATCHES "^[^/]+/([^/]*_backends|entry)\\.")
    set(${out} factory PARENT_SCOPE)
  else()
    set(${out} shared PARENT_SCOPE)
  endif()
endfunction()

# Whether `source` (a path under platform/) may include `target` (another):
# the fault in `fault`, empty when it may.
function(velk0_platform_check source target out)
  set(fault "")
  velk0_platform_floor("${source}" from)
  velk0_platform_floor("${target}" to)
  if(NOT DEFINED PLATFORM_${from} OR NOT DEFINED PLATFORM_${to})
    set(fault "platform/${from}/ or platform/${to}/ has no place in the platform's floors")
  elseif(NOT from STREQUAL to AND NOT PLATFORM_${to} GREATER PLATFORM_${from})
    set(fault "platform/${from} may not include platform/${to}")
  elseif(from STREQUAL to AND (from STREQUAL "posix" OR from STREQUAL "win32"))
    velk0_backend_floor("${source}" from)
    velk0_backend_floor("${target}" to)
    if(NOT DEFINED BACKEND_${from} OR NOT DEFINED BACKEND_${to})
      set(fault "${from}/ or ${to}/ has no place in the backends' floors")
    elseif(NOT from STREQUAL to AND NOT BACKEND_${to} GREATER BACKEND_${from})
      set(fault "the backends' ${from} may not include their ${to}")
    endif()
  endif()
  set(${out} "${fault}" PARENT_SCOPE)
endfunction()

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<root> -P layers.cmake")
endif()

# The rank of each folder: 0 at the top.
set(rank 0)
foreach(line IN LISTS VELK0_LAYERS)
  string(REPLACE "|" ";" folders "${line}")
  foreach(folder IN LISTS folders)
    set(RANK_${folder} ${rank})
  endforeach()
  math(EXPR rank "${rank} + 1")
endforeach()

velk0_ranks(PLATFORM ${VELK0_PLATFORM_FLOORS})
velk0_ranks(BACKEND ${VELK0_BACKEND_FLOORS})

set(faults "")
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}/src" "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp")
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" folder "${source}")
  if(NOT DEFINED RANK_${folder})
    list(APPEND faults "${source}: the folder ${folder}/ has no place in the layer table")
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/src/${source}" includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS includes)
    if(line MATCHES "#[ \t]*include[ \t]*\"([^/\"]+)/")
      set(target "${CMAKE_MATCH_1}")
      if(NOT DEFINED RANK_${target})
        list(APPEND faults "${source}: includes ${target}/, which has no place in the layer table")
      elseif(NOT target STREQUAL folder AND NOT RANK_${target} GREATER RANK_${folder})
        list(APPEND faults "${source}: ${folder}/ may not include ${target}/ (${line})")
      elseif(folder STREQUAL "platform" AND target STREQUAL "platform"
             AND line MATCHES "#[ \t]*include[ \t]*\"platform/([^\"]+)\"")
        set(included "${CMAKE_MATCH_1}")
        string(REGEX REPLACE "^platform/" "" inside "${source}")
        velk0_platform_check("${inside}" "${included}" fault)
        if(fault)
          list(APPEND faults "${source}: ${fault} (${line})")
        endif()
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
      list(APPEND faults "${source}: includes ${CMAKE_MATCH_1}, which names no layer (${line})")
    elseif(NOT folder STREQUAL "platform" AND line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
      set(header "${CMAKE_MATCH_1}")
      if(header IN_LIST VELK0_SYSTEM_HEADERS OR header MATCHES "^sys/")
        list(APPEND faults "${source}: only platform/ may include <${header}>")
      endif()
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "includes that break the layers:\n${text}")
endif()
list(LENGTH sources count)
message(STATUS "layers: ${count} files, every include points down")

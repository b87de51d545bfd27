# The layers of src/, top to bottom. A source file may include headers of its
# own folder and of the layers below its own, never of a layer above or of a
# folder beside it on the same line (folders of one line are separated by |). Outside platform/ no file includes the
# operating system's headers nor the sound libraries': those are reached only
# through the platform's interfaces.
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
set(VELK0_SYSTEM_HEADERS
  windows.h mmsystem.h unistd.h fcntl.h poll.h termios.h pwd.h signal.h csignal time.h ctime
  thread chrono fstream iostream fluidsynth.h SDL.h RtMidi.h)

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
      endif()
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

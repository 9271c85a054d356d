# The program's folders, bottom up. A file may include its own folder and the folders on
# lower floors, never one above it or beside it on the same floor (forms and generator);
# every include of the program's own headers names its folder ("station/station.h"), and
# none climbs out of it ("../"). The desktop program's families have their own check
# (gui/check_layers.cmake).
# Run by the build: cmake -DSRC_DIR=src -DSTAMP=file -P check_layers.cmake
set(floor_base 1)       # text, dates, files, the operator: no rule of the station's
set(floor_fileinfo 2)   # what an audio file says of itself: its length and its tags
set(floor_stationdb 3)  # Station.db: its schema, its queries, the attributes it keeps
set(floor_rules 4)      # what a program director writes: rules, their words, the rule book
set(floor_scan 5)       # a folder's files found and read, and their tags kept
set(floor_station 6)    # the station's own files and records, and Station itself
set(floor_forms 7)      # what the dialogs enable, check and apply, without a toolkit
set(floor_generator 7)  # a run: the hours, the selection and its rules
set(floor_outputs 8)    # what a run writes: the Playlist Log, playlists, pages, summaries
set(floor_editor 9)     # the Playlist Editor's document and its edits
set(floor_history 9)    # the play history filled from logs and the playout, its reports
set(floor_reports 10)   # printed pages
set(floor_cli 11)       # spindle-cli
set(floor_gui 12)       # the desktop program

set(faults "")
get_filename_component(SRC_DIR "${SRC_DIR}" ABSOLUTE)
# Every file a compiler may read, so a header of another spelling is no way around the floors.
file(GLOB_RECURSE sources RELATIVE "${SRC_DIR}" "${SRC_DIR}/*.h" "${SRC_DIR}/*.hh"
     "${SRC_DIR}/*.hpp" "${SRC_DIR}/*.hxx" "${SRC_DIR}/*.inc" "${SRC_DIR}/*.ipp" "${SRC_DIR}/*.tpp"
     "${SRC_DIR}/*.cpp" "${SRC_DIR}/*.cc" "${SRC_DIR}/*.cxx")
if(NOT sources)
  message(FATAL_ERROR "No sources under ${SRC_DIR}")
endif()
foreach(source IN LISTS sources)
  if(NOT source MATCHES "^([a-z]+)/")
    list(APPEND faults "src/${source} is in no folder")
    continue()
  endif()
  set(folder "${CMAKE_MATCH_1}")
  if(NOT DEFINED floor_${folder})
    list(APPEND faults "src/${source}: the folder ${folder} has no floor here")
    continue()
  endif()
  if(folder STREQUAL "gui")
    continue()  # its families are checked by gui/check_layers.cmake
  endif()
  file(READ "${SRC_DIR}/${source}" text)
  # One list entry a line; the characters CMake's lists treat specially are blanked first.
  string(REGEX REPLACE "[][;\\\\]" " " text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*([<\"])([^\">]*)[\">]")
      continue()
    endif()
    set(quoted "${CMAKE_MATCH_1}")
    set(path "${CMAKE_MATCH_2}")
    string(STRIP "${line}" line)
    set(where "src/${source}:${number}")
    if(path MATCHES "\\.\\.")
      list(APPEND faults "${where} includes by a relative path: ${line}")
      continue()
    endif()
    if(NOT path MATCHES "^([a-z]+)/")
      if(quoted STREQUAL "\"")
        list(APPEND faults "${where} includes without naming the folder: ${line}")
      endif()
      continue()  # the system's headers: <vector>, <unistd.h>
    endif()
    set(used "${CMAKE_MATCH_1}")
    if(NOT DEFINED floor_${used})
      if(quoted STREQUAL "\"")
        list(APPEND faults "${where} includes from no folder of the program: ${line}")
      endif()
      continue()  # a library's own folder: <SQLiteCpp/Database.h>, <unicode/...>
    endif()
    if(used STREQUAL folder)
      continue()
    endif()
    if(NOT floor_${used} LESS floor_${folder})
      list(APPEND faults "${where} (${folder}) includes ${used}, which is above or beside it: "
                         "${line}")
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Includes must run down cli -> reports -> editor -> outputs -> "
                      "generator, forms -> station -> scan -> rules -> stationdb -> fileinfo "
                      "-> base:\n  ${text}")
endif()
file(TOUCH "${STAMP}")

# The desktop program's families, top down: a file may include its own family and the
# ones below it, never one above or beside it on the same floor (library and printing).
# Run by the build: cmake -DGUI_DIR=src/gui -DSTAMP=file -P check_layers.cmake
set(floor_shell 5)
set(floor_editor 4)
set(floor_library 3)
set(floor_printing 3)
set(floor_help 2)
set(floor_widgets 1)

set(faults "")
get_filename_component(GUI_DIR "${GUI_DIR}" ABSOLUTE)
file(GLOB_RECURSE sources RELATIVE "${GUI_DIR}" "${GUI_DIR}/*.h" "${GUI_DIR}/*.cpp"
     "${GUI_DIR}/*.ui")
if(NOT sources)
  message(FATAL_ERROR "No sources under ${GUI_DIR}")
endif()
foreach(source IN LISTS sources)
  string(REGEX MATCH "^([a-z]+)/[^/]+$" _ "${source}")
  set(family "${CMAKE_MATCH_1}")
  if(NOT DEFINED floor_${family})
    list(APPEND faults "src/gui/${source} is in no family")
    continue()
  endif()
  # A form names the headers of its own widgets as <header>gui/...</header>.
  file(STRINGS "${GUI_DIR}/${source}" includes
       REGEX "^[ \t]*(#[ \t]*include[ \t]*\"|<header>)gui/")
  foreach(line IN LISTS includes)
    string(STRIP "${line}" line)
    string(REGEX MATCH "[\">]gui/([a-z]+)/" _ "${line}")
    set(used "${CMAKE_MATCH_1}")
    if(used STREQUAL family)
      continue()
    endif()
    if(NOT DEFINED floor_${used} OR NOT floor_${used} LESS floor_${family})
      list(APPEND faults "src/gui/${source} (${family}) includes one above or beside it: ${line}")
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Includes must run down shell -> editor -> library, printing -> help "
                      "-> widgets:\n  ${text}")
endif()
file(TOUCH "${STAMP}")

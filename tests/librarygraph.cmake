# The library graph: which folder of src/ may use which. Each folder is one
# library (lernora_<folder>; src/print/engine is lernora_print_engine), and a
# folder may always use its own headers. The test "includegraph" runs this
# script over the sources and fails on
#   - an #include of a header of a folder the including folder may not use,
#   - a folder's CMakeLists.txt linking a library of a folder it may not use,
#   - an #include of another folder's header without linking that library,
#   - a Qt module that a library may not link,
#   - a folder of src/ that the graph does not know,
#   - SQL text (a string literal that starts with an SQL statement) outside
#     store and domain, which alone speak SQL,
#   - a window folder including a header of another window folder (or one
#     of the windows of print) other than the entry-point headers named
#     below: windows reach each other through the main window's wiring,
#   - a source file longer than max_lines.
#
#   cmake -DSRC=<source dir>/src -P librarygraph.cmake

cmake_minimum_required(VERSION 3.25)

if(NOT SRC OR NOT IS_DIRECTORY "${SRC}")
  message(FATAL_ERROR "usage: cmake -DSRC=<source dir>/src -P librarygraph.cmake")
endif()

set(folders app plan editor overviews exchange print print/engine domain controls richtext store platform)

set(uses_app plan editor overviews exchange print print/engine domain controls richtext store platform)
set(_windows controls print print/engine domain richtext store platform)
set(uses_plan ${_windows})
set(uses_editor ${_windows})
set(uses_overviews ${_windows})
set(uses_exchange ${_windows})
set(uses_print print/engine domain controls richtext store platform)
set(uses_print/engine richtext)
set(uses_controls store richtext platform)
set(uses_richtext "")
set(uses_domain store)
set(uses_store "")
set(uses_platform "")

# The Qt modules a library may link, where it may not link every one.
set(qt_store Core)
set(qt_domain Core)

# The folders that speak SQL.
set(sql_folders store domain)

# The folders of windows. app holds the main window, which creates and
# wires every window and may include them all. Of print, the print forms
# and the preview interface are for every window; its windows are these.
set(window_folders plan editor overviews exchange)
set(print_windows print/bulkprint.h print/previewwindow.h print/printerchoice.h)
# Headers a window may include of another window: its entry points.
set(entry_points "")

# The folder a path below src/ belongs to ("" for none of ours).
function(folder_of path out)
  set(_folder "")
  if(path MATCHES "^print/engine/")
    set(_folder print/engine)
  elseif(path MATCHES "^([^/]+)/")
    if(CMAKE_MATCH_1 IN_LIST folders)
      set(_folder ${CMAKE_MATCH_1})
    endif()
  endif()
  set(${out} "${_folder}" PARENT_SCOPE)
endfunction()

set(violations "")

# A source file stays short enough to read: at most this many lines.
set(max_lines 800)

# Every folder of src/ with sources or a CMakeLists.txt is in the graph.
file(GLOB_RECURSE _all RELATIVE "${SRC}" "${SRC}/*.cpp" "${SRC}/*.h" "${SRC}/*CMakeLists.txt")
foreach(_file IN LISTS _all)
  folder_of("${_file}" _folder)
  if(NOT _folder AND _file MATCHES "/")
    get_filename_component(_dir "${_file}" DIRECTORY)
    list(APPEND violations "src/${_dir}: folder not in the library graph")
  endif()
endforeach()

foreach(_file IN LISTS _all)
  if(_file MATCHES "\\.(cpp|h)$")
    file(READ "${SRC}/${_file}" _text)
    string(REGEX MATCHALL "\n" _ends "${_text}")
    list(LENGTH _ends _count)
    if(_count GREATER max_lines)
      list(APPEND violations "src/${_file}: ${_count} lines (at most ${max_lines}, split it along its seams)")
    endif()
  endif()
endforeach()

# Includes: a quoted name is looked up beside the including file first, then
# below src/, as the compiler does.
foreach(_file IN LISTS _all)
  if(NOT _file MATCHES "\\.(cpp|h)$")
    continue()
  endif()
  folder_of("${_file}" _from)
  if(NOT _from)
    continue()
  endif()
  get_filename_component(_dir "${SRC}/${_file}" DIRECTORY)
  file(STRINGS "${SRC}/${_file}" _lines REGEX "^[ \t]*#[ \t]*include")
  foreach(_line IN LISTS _lines)
    if(NOT _line MATCHES "#[ \t]*include[ \t]*([\"<])([^\">]+)[\">]")
      continue()
    endif()
    set(_name "${CMAKE_MATCH_2}")
    set(_header "")
    if(CMAKE_MATCH_1 STREQUAL "\"" AND EXISTS "${_dir}/${_name}")
      get_filename_component(_header "${_dir}/${_name}" ABSOLUTE)
      file(RELATIVE_PATH _header "${SRC}" "${_header}")
    else()
      set(_header "${_name}")
    endif()
    folder_of("${_header}" _to)
    if(NOT _to OR _to STREQUAL _from)
      continue()
    endif()
    list(APPEND _included_${_from} ${_to})
    if(NOT _to IN_LIST uses_${_from})
      list(APPEND violations "src/${_file}: #include \"${_name}\" (${_from} may not use ${_to})")
    elseif(_from IN_LIST window_folders AND (_to IN_LIST window_folders OR _header IN_LIST print_windows)
           AND NOT _header IN_LIST entry_points)
      list(APPEND violations
           "src/${_file}: #include \"${_name}\" (a window of ${_from} reaches into a window of ${_to}: name its entry-point header in librarygraph.cmake)")
    endif()
  endforeach()
endforeach()

# SQL text: a string literal whose text starts with a statement, outside
# comments. The letters are matched without regard to case.
set(_sql_words select update insert delete pragma create begin commit rollback savepoint attach detach)
set(_sql_alternatives "")
foreach(_word IN LISTS _sql_words)
  set(_pattern "")
  string(LENGTH "${_word}" _length)
  math(EXPR _last "${_length} - 1")
  foreach(_i RANGE ${_last})
    string(SUBSTRING "${_word}" ${_i} 1 _letter)
    string(TOUPPER "${_letter}" _upper)
    string(APPEND _pattern "[${_letter}${_upper}]")
  endforeach()
  list(APPEND _sql_alternatives "${_pattern}")
endforeach()
list(JOIN _sql_alternatives "|" _sql_alternatives)
# The word, then a blank or a semicolon: "delete from", "BEGIN IMMEDIATE",
# "commit;" (a lone word, "insert", is a name, not a statement).
set(_sql_literal "\"[ \t]*(${_sql_alternatives})[ \t;]")
foreach(_file IN LISTS _all)
  if(NOT _file MATCHES "\\.(cpp|h)$")
    continue()
  endif()
  folder_of("${_file}" _from)
  if(NOT _from OR _from IN_LIST sql_folders)
    continue()
  endif()
  file(STRINGS "${SRC}/${_file}" _lines REGEX "${_sql_literal}")
  foreach(_line IN LISTS _lines)
    string(REGEX REPLACE "^[ \t]*//.*" "" _code "${_line}")
    string(REGEX REPLACE "^[ \t]*\\*.*" "" _code "${_code}")
    if(_code MATCHES "${_sql_literal}")
      string(STRIP "${_line}" _line)
      string(REPLACE ";" "," _line "${_line}")
      list(APPEND violations "src/${_file}: SQL outside store and domain: ${_line}")
    endif()
  endforeach()
endforeach()

# Links: every lernora_ library named in a folder's CMakeLists.txt.
foreach(_from IN LISTS folders)
  set(_cmake "${SRC}/${_from}/CMakeLists.txt")
  if(NOT IS_DIRECTORY "${SRC}/${_from}")
    continue() # in the graph before its first file
  endif()
  if(NOT EXISTS "${_cmake}")
    list(APPEND violations "src/${_from}: no CMakeLists.txt")
    continue()
  endif()
  file(READ "${_cmake}" _text)
  string(REGEX REPLACE "#[^\n]*" "" _text "${_text}")
  string(REGEX MATCHALL "lernora_[a-z_]+" _names "${_text}")
  set(_linked "")
  foreach(_name IN LISTS _names)
    if(_name STREQUAL "lernora_library")
      continue()
    endif()
    string(REGEX REPLACE "^lernora_" "" _to "${_name}")
    if(_to STREQUAL "print_engine")
      set(_to print/engine)
    endif()
    if(NOT _to IN_LIST folders OR _to STREQUAL _from)
      continue()
    endif()
    list(APPEND _linked ${_to})
    if(NOT _to IN_LIST uses_${_from})
      list(APPEND violations "src/${_from}/CMakeLists.txt: ${_name} (${_from} may not use ${_to})")
    endif()
  endforeach()
  if(DEFINED _included_${_from})
    list(REMOVE_DUPLICATES _included_${_from})
    foreach(_to IN LISTS _included_${_from})
      if(NOT _to IN_LIST _linked)
        list(APPEND violations "src/${_from}/CMakeLists.txt: includes headers of ${_to} without linking it")
      endif()
    endforeach()
  endif()
  if(DEFINED qt_${_from})
    string(REGEX MATCHALL "Qt6::[A-Za-z]+" _modules "${_text}")
    foreach(_module IN LISTS _modules)
      string(REPLACE "Qt6::" "" _module "${_module}")
      if(NOT _module IN_LIST qt_${_from})
        list(APPEND violations "src/${_from}/CMakeLists.txt: Qt6::${_module} (${_from} may only use Qt ${qt_${_from}})")
      endif()
    endforeach()
  endif()
endforeach()

list(LENGTH violations _count)
if(_count GREATER 0)
  foreach(_violation IN LISTS violations)
    message("${_violation}")
  endforeach()
  message(FATAL_ERROR "${_count} violations of the library graph")
endif()
message(STATUS "library graph kept")

# lernora_library(NAME folder DEPS ...)
# One static library per source folder, named lernora_<name>. A folder that
# has no sources yet becomes an interface library, so that the dependency
# graph is complete from the start and a folder only needs its files added.
function(lernora_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  list(FILTER _sources EXCLUDE REGEX "/lernora\\.cpp$")
  set(_target lernora_${name})
  if(_sources)
    add_library(${_target} STATIC ${_sources})
    target_include_directories(${_target} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${_target} PUBLIC ${ARG_DEPS})
  else()
    add_library(${_target} INTERFACE)
    target_include_directories(${_target} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${_target} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# A private, per-build runtime directory for Qt (it warns without one).
set(LERNORA_XDG_RUNTIME_DIR ${CMAKE_BINARY_DIR}/xdg-runtime)
file(MAKE_DIRECTORY ${LERNORA_XDG_RUNTIME_DIR})
file(CHMOD ${LERNORA_XDG_RUNTIME_DIR} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

# lernora_add_test(NAME SOURCES ... LIBS ... [SCREEN WIDTHxHEIGHT])
# One test executable per subject, run headless with a German locale. The
# headless screen is 800 x 800 unless SCREEN gives it the size of a desktop.
function(lernora_add_test name)
  cmake_parse_arguments(ARG "" "SCREEN" "SOURCES;LIBS" ${ARGN})
  add_executable(test_${name} ${ARG_SOURCES})
  target_link_libraries(test_${name} PRIVATE ${ARG_LIBS} lernora_testsupport Qt6::Test)
  add_test(NAME ${name} COMMAND test_${name})
  set(_platform offscreen)
  if(ARG_SCREEN)
    string(REPLACE "x" ";" _size ${ARG_SCREEN})
    list(GET _size 0 _width)
    list(GET _size 1 _height)
    set(_config ${CMAKE_BINARY_DIR}/offscreen-${ARG_SCREEN}.json)
    file(WRITE ${_config} "{ \"screens\": [ { \"name\": \"screen\", \"x\": 0, \"y\": 0, \"width\": ${_width}, \"height\": ${_height}, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1 } ] }\n")
    set(_platform "offscreen:configfile=${_config}")
  endif()
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=${_platform};LANG=de_DE.UTF-8;LC_ALL=C.UTF-8;XDG_RUNTIME_DIR=${LERNORA_XDG_RUNTIME_DIR};LERNORA_SOURCE_DIR=${CMAKE_SOURCE_DIR};LERNORA_MESSAGE_LOG=${CMAKE_BINARY_DIR}/messages.log"
    TIMEOUT 300)
  set_property(GLOBAL APPEND PROPERTY LERNORA_TESTS ${name})
endfunction()

# Fails when an object of a floor below src/api uses a function or object
# that src/api or the emulated camera defines: a link-time arrow upward that
# the include check cannot see, such as a function declared low and defined
# where the library is put together.
#
#   cmake -DNM=<nm> -DOBJECTS=<object|object|...> -P CheckSymbols.cmake
# OBJECTS: the objects of nodrix_objects and of nodrix_emulator.
cmake_minimum_required(VERSION 3.20)

string(REPLACE "|" ";" objects "${OBJECTS}")
set(upper "")
set(below "")
foreach(object IN LISTS objects)
  if(object MATCHES "/nodrix_emulator\\.dir/")
    list(APPEND upper "${object}")
  elseif(object MATCHES "/nodrix_objects\\.dir/(\\./)?([a-z]+)/")
    if(CMAKE_MATCH_2 STREQUAL "api")
      list(APPEND upper "${object}")
    else()
      list(APPEND below "${object}")
    endif()
  endif()
endforeach()
list(LENGTH upper upperCount)
list(LENGTH below belowCount)
if(upperCount EQUAL 0 OR belowCount EQUAL 0)
  message(FATAL_ERROR "the objects of src/api, the emulator or the floors below were not found")
endif()

execute_process(COMMAND ${NM} -C -g --defined-only ${upper} OUTPUT_VARIABLE defined
                RESULT_VARIABLE rc1)
execute_process(COMMAND ${NM} -A -C -u ${below} OUTPUT_VARIABLE undefined RESULT_VARIABLE rc2)
if(NOT rc1 EQUAL 0 OR NOT rc2 EQUAL 0)
  message(FATAL_ERROR "${NM} failed")
endif()
# The library's own functions and objects defined above (T text, D/B/R data).
string(REGEX MATCHALL "[0-9a-fA-F]+ [TDBR] nodrix::[^\n]*" rows "${defined}")
set(failures 0)
foreach(row IN LISTS rows)
  string(REGEX REPLACE "^[0-9a-fA-F]+ [TDBR] " "" symbol "${row}")
  string(FIND "${undefined}" " U ${symbol}\n" at)
  if(NOT at EQUAL -1)
    string(SUBSTRING "${undefined}" 0 ${at} before)
    string(REGEX MATCH "[^\n]*$" user "${before}")
    message(SEND_ERROR "${user} uses ${symbol}, defined above it")
    math(EXPR failures "${failures} + 1")
  endif()
endforeach()
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} upward link-time references")
endif()
message(STATUS "${belowCount} objects below src/api: none uses a symbol of src/api or the emulator")

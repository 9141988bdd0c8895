# Fails when a file of a floor includes a header of a floor it may not
# depend on. A floor is a folder of src/. Each floor lists what it may
# include besides itself; "public" is include/NodrixSdk*.h. The camera
# catalogue is data alone and every floor may read it.
#
#   cmake -DSOURCE_DIR=<repo>/src -P CheckIncludes.cmake
cmake_minimum_required(VERSION 3.20)

set(allowed_catalogue "")
set(allowed_platform catalogue)
set(allowed_imaging catalogue platform)
set(allowed_files catalogue imaging platform public)
set(allowed_settings catalogue pipeline files platform)
set(allowed_transport catalogue platform)
set(allowed_sensors catalogue transport platform)
set(allowed_core catalogue sensors transport imaging platform)
set(allowed_pipeline catalogue imaging platform)
set(allowed_connection catalogue pipeline core sensors transport imaging files settings platform public)
set(allowed_api catalogue connection pipeline core sensors transport imaging files settings platform
    public emulator)

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp
     ${SOURCE_DIR}/*.inl ${SOURCE_DIR}/*.rc ${SOURCE_DIR}/*.rci)
set(failures 0)
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" floor "${source}")
  if(NOT DEFINED allowed_${floor})
    message(SEND_ERROR "${source}: folder ${floor} has no rule in CheckIncludes.cmake")
    math(EXPR failures "${failures} + 1")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" header "${line}")
    if(header MATCHES "^NodrixSdk[A-Za-z]*\\.h$")
      set(target public)
    elseif(header MATCHES "^([a-z]+)/")
      string(REGEX MATCH "^[a-z]+" target "${header}")
    else()
      continue()  # a header beside the file
    endif()
    if(target STREQUAL floor)
      continue()
    endif()
    if(NOT target IN_LIST allowed_${floor})
      message(SEND_ERROR "${source} includes ${header}: ${floor} may not depend on ${target}")
      math(EXPR failures "${failures} + 1")
    endif()
  endforeach()
endforeach()
list(LENGTH sources count)
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} include(s) against the floors in ${count} files")
endif()
message(STATUS "${count} files: every include follows the floors")

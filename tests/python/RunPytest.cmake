# Runs the Python package's tests on one build of the library. Every nonzero
# status of pytest fails, "no tests collected" (5) included.
#   -DPYTHON= -DLIBRARY= -DPRELOAD= (sanitizer runtime, may be empty)
#   -DSOURCE= (the python/ folder) -DTEMP= (a scratch folder)
#   -DTESTS= (a file of python/tests; all of them when empty)
if(NOT PYTHON)
  message(FATAL_ERROR "no python3 interpreter was found")
endif()
set(ENV{NODRIX_LIBRARY} "${LIBRARY}")
set(ENV{PYTHONPATH} "${SOURCE}")
set(ENV{PYTHONDONTWRITEBYTECODE} "1")
if(PRELOAD)
  set(ENV{LD_PRELOAD} "${PRELOAD}")
  # The interpreter keeps its objects until exit by design: leaks of the
  # process are not the library's. The options given to the run still hold.
  set(ENV{ASAN_OPTIONS} "$ENV{ASAN_OPTIONS}:detect_leaks=0")
endif()
if(NOT TESTS)
  set(TESTS ${SOURCE}/tests)
endif()
# pytest makes the scratch folder itself, but not the folders above it.
get_filename_component(temp_parent ${TEMP} DIRECTORY)
file(MAKE_DIRECTORY ${temp_parent})
execute_process(
  COMMAND ${PYTHON} -m pytest -q -rs -p no:cacheprovider --basetemp=${TEMP}
          ${TESTS}
  WORKING_DIRECTORY ${SOURCE}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "pytest exited with status ${status}")
endif()

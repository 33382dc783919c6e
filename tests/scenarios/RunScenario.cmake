# Runs one scenario script through the application's script mode:
#   cmake -DAPP=rtceval -DSCRIPT=file.rtcs -DDIR=folder -DFRESH=ON|OFF -DARGS="a|b" -P RunScenario.cmake
# The script runs in DIR, emptied first when FRESH is on, so files it names
# (settings, dumps, pictures) land there. ARGS are "|"-separated and go before
# --script. The test fails when the script does.
foreach(var APP SCRIPT DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "RunScenario.cmake needs -D${var}=...")
  endif()
endforeach()

if(FRESH)
  file(REMOVE_RECURSE "${DIR}")
endif()
file(MAKE_DIRECTORY "${DIR}")

set(args "")
if(NOT "${ARGS}" STREQUAL "")
  string(REPLACE "|" ";" args "${ARGS}")
endif()

execute_process(COMMAND "${APP}" ${args} --script "${SCRIPT}"
                WORKING_DIRECTORY "${DIR}"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "scenario ${SCRIPT} ended with ${result}")
endif()

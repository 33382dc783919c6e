# Runs a script without --settings beside a user store that holds settings:
#   cmake -DAPP=rtceval -DSCRIPT=file.rtcs -DDIR=folder -P UserStore.cmake
# The script must pass, and the store must be exactly as it was, with no file
# added next to it.
foreach(var APP SCRIPT DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "UserStore.cmake needs -D${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE "${DIR}")
set(config "${DIR}/config")
set(store "${config}/kavrolux/rtc eval.conf")
set(saved "[General]\nDevice=VK360\nBussSpeed=400\nTempCal=25\nFormTop=40\nFormLeft=50\n")
file(WRITE "${store}" "${saved}")
set(ENV{XDG_CONFIG_HOME} "${config}")

execute_process(COMMAND "${APP}" --script "${SCRIPT}" WORKING_DIRECTORY "${DIR}"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "script ${SCRIPT} ended with ${result}")
endif()

file(READ "${store}" now)
if(NOT now STREQUAL saved)
  message(FATAL_ERROR "the user store changed:\n${now}")
endif()
file(GLOB_RECURSE files LIST_DIRECTORIES false "${config}/*")
if(NOT files STREQUAL store)
  message(FATAL_ERROR "files beside the user store: ${files}")
endif()

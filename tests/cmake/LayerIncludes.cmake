# The folders' layering, checked on every #include "..." under src/:
#   cmake -DSRC=path/to/src -P LayerIncludes.cmake
# - a page (src/pages/<page>/, src/clock/, src/registers/), the neutral page
#   context (src/pages/*.h) and the layers below them (src/widgets/,
#   src/bus/, src/catalogue/) include nothing of the shell (app/);
# - no page, report or polling file includes the main window (app/TMainApp.h)
#   or another page's own header: a page's class and its widgets. The pages'
#   Qt-free codecs (*Codec.h, *Logic.h) and the clock's time and PC clock
#   are shared; pages reach each other through pages/PageLinks.h.
# Any include that breaks a rule fails the test, with its file and line.
if(NOT DEFINED SRC)
  message(FATAL_ERROR "LayerIncludes.cmake needs -DSRC=...")
endif()

# The folder a file of src/ belongs to: "page:<name>" for a page's folder.
function(owner path out)
  if(path MATCHES "^pages/([^/]+)/")
    set(${out} "page:${CMAKE_MATCH_1}" PARENT_SCOPE)
  elseif(path MATCHES "^(clock|registers)/")
    set(${out} "page:${CMAKE_MATCH_1}" PARENT_SCOPE)
  elseif(path MATCHES "^app/setup/")
    set(${out} "page:setup" PARENT_SCOPE)
  elseif(path MATCHES "^app/polling/")
    set(${out} "polling" PARENT_SCOPE)
  elseif(path MATCHES "^pages/[^/]+$")
    set(${out} "context" PARENT_SCOPE)
  elseif(path MATCHES "^([^/]+)/")
    set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

# True when the included header is a page's own (its class or widgets), not
# a codec or the clock's shared time and PC clock.
function(page_header included out)
  set(result FALSE)
  if(included MATCHES "(Codec|Logic)\\.h$")
    set(result FALSE)
  elseif(included MATCHES "^pages/[^/]+/" OR included MATCHES "^registers/"
         OR included STREQUAL "clock/SetClockPage.h" OR included MATCHES "^app/setup/SetupPage\\.h$")
    set(result TRUE)
  endif()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files RELATIVE "${SRC}" "${SRC}/*.h" "${SRC}/*.cpp")
set(broken "")
foreach(file ${files})
  owner("${file}" from)
  set(isPage FALSE)
  if(from MATCHES "^page:")
    set(isPage TRUE)
  endif()
  set(noShell FALSE)
  if((isPage AND NOT from STREQUAL "page:setup") OR from MATCHES "^(context|widgets|bus|catalogue)$")
    set(noShell TRUE)
  endif()
  set(guarded FALSE)
  if(isPage OR from MATCHES "^(context|reports|polling)$")
    set(guarded TRUE)
  endif()

  file(STRINGS "${SRC}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line ${lines})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" included "${line}")
    owner("${included}" to)
    if(noShell AND included MATCHES "^app/")
      list(APPEND broken "${file}: ${included} (the shell, from below it)")
    elseif(guarded AND included STREQUAL "app/TMainApp.h")
      list(APPEND broken "${file}: ${included} (the main window)")
    elseif(guarded AND NOT to STREQUAL from)
      page_header("${included}" isPageHeader)
      if(isPageHeader)
        list(APPEND broken "${file}: ${included} (another page's own header)")
      endif()
    endif()
  endforeach()
endforeach()

if(broken)
  list(JOIN broken "\n  " text)
  message(FATAL_ERROR "includes across the layers:\n  ${text}")
endif()
list(LENGTH files count)
message(STATUS "${count} files keep to the layers")

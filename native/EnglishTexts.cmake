# Turns the English string table of the resources into C++ table entries, so
# that the native build serves the very texts the program loads:
#   cmake -DINPUT=res/strings_en.rc -DOUTPUT=EnglishTexts.inc -P EnglishTexts.cmake
# Each line `IDS_NAME "text"` becomes `{IDS_NAME, "text"},`. The resource
# compiler's escapes are C's, except a doubled quote, which becomes \".
file(READ "${INPUT}" script)
# Semicolons would split the lines as a CMake list, and brackets would join them.
string(REPLACE ";" "<semicolon>" script "${script}")
string(REPLACE "[" "<open>" script "${script}")
string(REPLACE "]" "<close>" script "${script}")
string(REPLACE "\r" "" script "${script}")
string(REPLACE "\n" ";" lines "${script}")
set(entries "// Generated from res/strings_en.rc by native/EnglishTexts.cmake.\n")
set(count 0)
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^[ \t]*(IDS_[A-Z0-9_]+)[ \t]+\"(.*)\"[ \t]*$")
    continue()
  endif()
  set(name "${CMAKE_MATCH_1}")
  set(text "${CMAKE_MATCH_2}")
  # The program loads the texts in its own code page; the English table must be plain ASCII to be
  # the same bytes in every one.
  if(text MATCHES "[^ -~]")
    message(FATAL_ERROR "${name}: characters outside ASCII in the English table")
  endif()
  string(REPLACE "\"\"" "\\\"" text "${text}")
  string(REPLACE "<semicolon>" ";" text "${text}")
  string(REPLACE "<open>" "[" text "${text}")
  string(REPLACE "<close>" "]" text "${text}")
  string(APPEND entries "{${name}, \"${text}\"},\n")
  math(EXPR count "${count} + 1")
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "no texts found in ${INPUT}")
endif()
file(WRITE "${OUTPUT}.new" "${entries}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")

# helpc on manuals with faults: exit status 1, each fault told as MANUAL:LINE: what,
# and neither output written, so files made earlier stay as they were.
#   cmake -DHELPC=... -DWORK=... -P helpc_command.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(cases
  "@topic a One\n\nsee [[missing]]\n|faulty.txt:3: a jump to missing"
  "@topic a One\n\nWrite Ł\n|faulty.txt:3: the character U+0141")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 source)
  list(GET parts 1 expected)
  file(WRITE ${WORK}/faulty.txt "${source}")
  file(WRITE ${WORK}/out.hlp "made earlier")
  file(REMOVE ${WORK}/out.htm)
  execute_process(COMMAND ${HELPC} ${WORK}/faulty.txt --hlp ${WORK}/out.hlp --htm ${WORK}/out.htm
    RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 1)
    message(FATAL_ERROR "exit status: expected 1, actual ${status} (${errors})")
  endif()
  string(FIND "${errors}" "${expected}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "message: expected \"${expected}\", actual \"${errors}\"")
  endif()
  file(READ ${WORK}/out.hlp earlier)
  if(NOT earlier STREQUAL "made earlier" OR EXISTS ${WORK}/out.htm)
    message(FATAL_ERROR "an output was written for a faulty manual (${expected})")
  endif()
endforeach()

# Runs MakeOV2_v1-1.exe and psp2ov2.exe under the cross build's emulator (Wine):
#   cmake -DEMULATOR=... -DMAKEOV2=... -DPSP2OV2=... -DSAMPLE=... -DTESTDATA=... -DWORK=...
#         -P windows_tools.cmake
# Checks exit codes, that an existing overlay is replaced, and that psp2ov2's overlay
# is the one MakeOV2 makes from psp2ov2's .asc. SAMPLE is the built sample pushpin file;
# a shared nashville.psp in TESTDATA, when there is one, is converted as well.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
configure_file("${SAMPLE}" "${WORK}/sample.psp" COPYONLY)

function(run_tool expected_status)
  execute_process(COMMAND ${EMULATOR} ${ARGN} WORKING_DIRECTORY "${WORK}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL expected_status)
    message(FATAL_ERROR "${ARGN}: expected exit ${expected_status}, got ${status}\n${out}${err}")
  endif()
endfunction()

function(expect_same a b)
  file(SHA256 "${a}" ha)
  file(SHA256 "${b}" hb)
  if(NOT ha STREQUAL hb)
    message(FATAL_ERROR "${a} and ${b} differ")
  endif()
endfunction()

# psp2ov2.exe NAME: the three outputs, and nine .asc lines.
function(convert_nine name)
  run_tool(0 "${PSP2OV2}" -q ${name}.psp)
  foreach(ext asc ov2 bmp)
    if(NOT EXISTS "${WORK}/${name}.${ext}")
      message(FATAL_ERROR "psp2ov2.exe wrote no ${name}.${ext}")
    endif()
  endforeach()
  # Counted by line ends: the texts hold code page bytes that file(STRINGS) splits at.
  file(READ "${WORK}/${name}.asc" content)
  string(REGEX MATCHALL "\n" ends "${content}")
  list(LENGTH ends count)
  if(NOT count EQUAL 9)
    message(FATAL_ERROR "expected 9 lines in ${name}.asc, got ${count}")
  endif()
endfunction()

convert_nine(sample)
if(EXISTS "${TESTDATA}/nashville.psp")
  file(COPY "${TESTDATA}/nashville.psp" DESTINATION "${WORK}")
  convert_nine(nashville)
endif()

# "*.psp" as cmd.exe hands it over: each pushpin file it matches is converted; a
# pattern that matches nothing is no such file.
file(MAKE_DIRECTORY "${WORK}/many")
configure_file("${SAMPLE}" "${WORK}/many/one.psp" COPYONLY)
configure_file("${SAMPLE}" "${WORK}/many/two.psp" COPYONLY)
execute_process(COMMAND ${EMULATOR} "${PSP2OV2}" -q "*.psp" WORKING_DIRECTORY "${WORK}/many"
                RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT EXISTS "${WORK}/many/one.ov2" OR NOT EXISTS "${WORK}/many/two.ov2")
  message(FATAL_ERROR "psp2ov2.exe *.psp: exit ${status}, not both overlays\n${err}")
endif()
execute_process(COMMAND ${EMULATOR} "${PSP2OV2}" "*.pps" WORKING_DIRECTORY "${WORK}/many"
                RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 2 OR NOT err MATCHES "\\*\\.pps: No such file")
  message(FATAL_ERROR "psp2ov2.exe *.pps: exit ${status}\n${err}")
endif()

# MakeOV2 over the same .asc, twice: the second run replaces the first overlay.
file(COPY "${WORK}/sample.asc" DESTINATION "${WORK}/again")
file(WRITE "${WORK}/again/sample.ov2" "an older overlay")
run_tool(0 "${MAKEOV2}" "${WORK}/again/sample.asc")
expect_same("${WORK}/again/sample.ov2" "${WORK}/sample.ov2")
run_tool(0 "${MAKEOV2}" "${WORK}/again/sample.asc")
expect_same("${WORK}/again/sample.ov2" "${WORK}/sample.ov2")
file(GLOB leftovers "${WORK}/again/.qh~*" "${WORK}/again/*.tmp")
if(leftovers)
  message(FATAL_ERROR "temporary files left: ${leftovers}")
endif()

# Two runs at once on the same outputs, of different points (the second with an
# offset): each finishes, or gives way with "is being written by another run" (exit 2);
# the .asc and the .ov2 left behind are from one run, and no lock file stays.
file(MAKE_DIRECTORY "${WORK}/both" "${WORK}/check")
execute_process(
  COMMAND ${EMULATOR} "${PSP2OV2}" -q -o "${WORK}/both/out.ov2" "${WORK}/sample.psp"
  COMMAND ${EMULATOR} "${PSP2OV2}" -q --offset 1,1 -o "${WORK}/both/out.ov2" "${WORK}/sample.psp"
  WORKING_DIRECTORY "${WORK}" RESULTS_VARIABLE statuses ERROR_VARIABLE err)
foreach(status IN LISTS statuses)
  if(status EQUAL 2)
    if(NOT err MATCHES "is being written by another run")
      message(FATAL_ERROR "a run at the same time failed otherwise: ${err}")
    endif()
  elseif(NOT status EQUAL 0)
    message(FATAL_ERROR "two runs at once: exit statuses ${statuses}\n${err}")
  endif()
endforeach()
file(COPY "${WORK}/both/out.asc" DESTINATION "${WORK}/check")
run_tool(0 "${MAKEOV2}" "${WORK}/check/out.asc")
expect_same("${WORK}/check/out.ov2" "${WORK}/both/out.ov2")
file(GLOB leftovers "${WORK}/both/.qh~*")
if(leftovers)
  message(FATAL_ERROR "two runs at once left: ${leftovers}")
endif()

# A skipped line gives 1, a missing input 2.
file(WRITE "${WORK}/bad.asc" "  1.00000,  2.00000,\"a\"\r\n**********,  2.00000,\"b\"\r\n")
run_tool(1 "${MAKEOV2}" "${WORK}/bad.asc")
run_tool(2 "${MAKEOV2}" "${WORK}/absent.asc")
file(REMOVE_RECURSE "${WORK}")

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

# A skipped line gives 1, a missing input 2.
file(WRITE "${WORK}/bad.asc" "  1.00000,  2.00000,\"a\"\r\n**********,  2.00000,\"b\"\r\n")
run_tool(1 "${MAKEOV2}" "${WORK}/bad.asc")
run_tool(2 "${MAKEOV2}" "${WORK}/absent.asc")
file(REMOVE_RECURSE "${WORK}")

# Runs ov2.exe under the cross build's emulator (Wine):
#   cmake -DEMULATOR=... -DOV2=... -DPSP2OV2=... -DSAMPLE=... -DWORK=... -P windows_ov2.cmake
# ov2 make of a pushpin file gives psp2ov2.exe's overlay; the overlay read out as GPX
# (parsed back by the system's XmlLite), CSV and .asc makes the same overlay again;
# check, read to standard output, a broken overlay and the map.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
configure_file("${SAMPLE}" "${WORK}/sample.psp" COPYONLY)

function(run_tool expected_status)
  execute_process(COMMAND ${EMULATOR} ${ARGN} WORKING_DIRECTORY "${WORK}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL expected_status)
    message(FATAL_ERROR "${ARGN}: expected exit ${expected_status}, got ${status}\n${out}${err}")
  endif()
  set(tool_out "${out}" PARENT_SCOPE)
  set(tool_err "${err}" PARENT_SCOPE)
endfunction()

function(expect_same a b)
  file(SHA256 "${a}" ha)
  file(SHA256 "${b}" hb)
  if(NOT ha STREQUAL hb)
    message(FATAL_ERROR "${a} and ${b} differ")
  endif()
endfunction()

function(expect_in text what)
  string(FIND "${text}" "${what}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "expected \"${what}\" in:\n${text}")
  endif()
endfunction()

run_tool(0 "${PSP2OV2}" -q sample.psp)
run_tool(0 "${OV2}" make sample.psp -o made.ov2)
expect_in("${tool_out}" "9 points from 1 input")
expect_same("${WORK}/made.ov2" "${WORK}/sample.ov2")
run_tool(0 "${OV2}" check made.ov2)
expect_in("${tool_out}" "made.ov2: 9 points, ")

foreach(kind gpx csv asc)
  run_tool(0 "${OV2}" read made.ov2 -o out.${kind})
  run_tool(0 "${OV2}" make out.${kind} -o from-${kind}.ov2)
  expect_same("${WORK}/from-${kind}.ov2" "${WORK}/made.ov2")
endforeach()

# Standard output in binary mode: the same CR LF lines as the file.
execute_process(COMMAND ${EMULATOR} "${OV2}" read made.ov2 -f asc WORKING_DIRECTORY "${WORK}"
                RESULT_VARIABLE status OUTPUT_FILE "${WORK}/piped.asc")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "ov2 read -f asc ended with ${status}")
endif()
expect_same("${WORK}/piped.asc" "${WORK}/out.asc")

# A cut overlay: a fault for check, a failure for a strict read, and for the lenient
# read its repairs told and no point, so no output.
# (The tests run on the build's own system, which has head.)
execute_process(COMMAND head -c 30 made.ov2 WORKING_DIRECTORY "${WORK}" OUTPUT_FILE "${WORK}/cut.ov2")
run_tool(1 "${OV2}" check cut.ov2)
expect_in("${tool_out}" "cut.ov2: byte 0: ")
run_tool(2 "${OV2}" read --strict cut.ov2 -o cut.gpx)
run_tool(1 "${OV2}" read cut.ov2 -o cut.gpx)
expect_in("${tool_err}" "bytes after the last record were passed over")
expect_in("${tool_err}" "cut.gpx is not written")
if(EXISTS "${WORK}/cut.gpx")
  message(FATAL_ERROR "ov2 read of a cut overlay left cut.gpx")
endif()

run_tool(0 "${OV2}" map made.ov2 out.gpx -o map.svg)
file(READ "${WORK}/map.svg" svg)
expect_in("${svg}" ">18 points</text>")
file(REMOVE_RECURSE "${WORK}")

# Runs psp2ov2.exe and MakeOV2_v1-1.exe under the cross build's emulator (Wine) on what
# they must refuse, where Windows differs: names that differ in case or separator but
# are one file (compared by the file index), a count the 32-bit build must not allocate
# by, and an output marked read-only.
#   cmake -DEMULATOR=... -DMAKEOV2=... -DPSP2OV2=... -DWORK=... -P windows_refusals.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

# TOOL ARGS... ends with 2, says MESSAGE, and the folder holds what it held before.
function(expect_refused message)
  file(GLOB before RELATIVE "${WORK}" "${WORK}/*")
  execute_process(COMMAND ${EMULATOR} ${ARGN} WORKING_DIRECTORY "${WORK}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 2)
    message(FATAL_ERROR "${ARGN}: expected exit 2, got ${status}\n${out}${err}")
  endif()
  string(FIND "${err}" "${message}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${ARGN}: expected \"${message}\" in:\n${err}")
  endif()
  file(GLOB after RELATIVE "${WORK}" "${WORK}/*")
  if(NOT before STREQUAL after)
    message(FATAL_ERROR "${ARGN}: the folder changed from [${before}] to [${after}]")
  endif()
endfunction()

# Any bytes do as input: these are refused before an input is read. The last one claims
# 0x41414141 pins in its 32 bytes.
file(WRITE "${WORK}/a.psp" "not read")
file(WRITE "${WORK}/a.dat" "not read")
file(WRITE "${WORK}/huge.psp" "0123456789abAAAA0123456789abcdef")
file(MAKE_DIRECTORY "${WORK}/c.bmp")
file(MAKE_DIRECTORY "${WORK}/y.asc")

expect_refused("would overwrite the input a.psp" "${PSP2OV2}" -o ".\\a.psp" a.psp)
expect_refused("would overwrite the input a.psp" "${PSP2OV2}" -o A.PSP a.psp)
expect_refused("its overlay and its icon would both be x.bmp" "${PSP2OV2}" -o x.bmp a.psp)
expect_refused("a.psp and a.dat would both write a.asc" "${PSP2OV2}" a.psp a.dat)
expect_refused("a.psp and A.Psp are the same file" "${PSP2OV2}" a.psp A.Psp)
expect_refused("cannot write c.bmp" "${PSP2OV2}" -o c.ov2 a.psp)
expect_refused("huge.psp: its header counts 1094795585 pins, more than its 32 bytes can hold" "${PSP2OV2}" -q huge.psp)
expect_refused("cannot read y.asc" "${MAKEOV2}" y.asc)

# An earlier overlay marked read-only stays as its owner wants: replaced, it would have
# stayed beside its successor under a temporary name, undeletable.
file(WRITE "${WORK}/kept.ov2" "an earlier overlay")
file(WRITE "${WORK}/kept.asc" "1,2,\"k\"\r\n")
file(CHMOD "${WORK}/kept.ov2" PERMISSIONS OWNER_READ GROUP_READ WORLD_READ)
expect_refused("cannot write kept.ov2: it is read-only" "${MAKEOV2}" kept.asc)
expect_refused("cannot write kept.ov2: it is read-only" "${PSP2OV2}" -o kept.ov2 a.psp)
file(READ "${WORK}/kept.ov2" kept)
if(NOT kept STREQUAL "an earlier overlay")
  message(FATAL_ERROR "the read-only overlay was replaced")
endif()
file(REMOVE_RECURSE "${WORK}")

cmake_minimum_required(VERSION 3.25)
# Runs the writer built for this machine and the one built for the target (under
# its emulator) on the same input, then compares every file they wrote.
# -DEMULATOR=... -DWRITER=... -DNATIVE_WRITER=... -DINPUT=dir -DWORK=dir
set(ENV{TZ} UTC)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/native ${WORK}/target)

execute_process(COMMAND ${NATIVE_WRITER} ${INPUT} ${WORK}/native RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the native writer failed (${rc})")
endif()
execute_process(COMMAND ${EMULATOR} ${WRITER} ${INPUT} ${WORK}/target RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the target's writer failed (${rc})")
endif()

file(GLOB_RECURSE native RELATIVE ${WORK}/native LIST_DIRECTORIES false ${WORK}/native/*)
file(GLOB_RECURSE target RELATIVE ${WORK}/target LIST_DIRECTORIES false ${WORK}/target/*)
# The offline set's own entries (the lock, the set link, the generation folder with
# its random name) are not files of the comparison; the four names lead into them.
list(FILTER native EXCLUDE REGEX "(^|/)\\.gep\\.")
list(FILTER target EXCLUDE REGEX "(^|/)\\.gep\\.")
list(SORT native)
list(SORT target)
foreach(f var/tuxbox/plugins/orvalis.cfg hdd/orvalis/channels.gep hdd/orvalis/themes.gep hdd/orvalis/titles.gep
          hdd/orvalis/summaries.gep)
  if(NOT f IN_LIST native)
    message(FATAL_ERROR "the native writer did not write ${f}: ${native}")
  endif()
endforeach()
if(NOT native STREQUAL target)
  message(FATAL_ERROR "different files written\n  native: ${native}\n  target: ${target}")
endif()

set(differ "")
foreach(f ${native})
  file(READ ${WORK}/native/${f} a HEX)
  file(READ ${WORK}/target/${f} b HEX)
  if(NOT a STREQUAL b)
    list(APPEND differ ${f})
    execute_process(COMMAND diff -a ${WORK}/native/${f} ${WORK}/target/${f})
  endif()
endforeach()
if(differ)
  message(FATAL_ERROR "written differently on the two processors: ${differ}")
endif()
list(LENGTH native n)
message(STATUS "${n} files byte-identical: ${native}")

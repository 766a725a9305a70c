# Writes a program's manual page with help2man from its own --help and
# --version (cmake -P, at build time):
#
#   cmake -DHELP2MAN=... -DPROGRAM=... -DNAME="one line" -DOUTPUT=x.1
#         -P man_page.cmake
#
# A program that does not answer --version at once (a window that opens
# instead) gets no page, with a warning, rather than a build that waits.
execute_process(
  COMMAND timeout 20 ${PROGRAM} --version
  RESULT_VARIABLE _status
  OUTPUT_VARIABLE _version
  ERROR_QUIET)
if(NOT _status EQUAL 0 OR _version STREQUAL "")
  message(WARNING "${PROGRAM} does not answer --version: no manual page")
  file(REMOVE ${OUTPUT})
  return()
endif()
execute_process(
  COMMAND ${HELP2MAN} --no-info --name=${NAME} --output=${OUTPUT} ${PROGRAM}
  RESULT_VARIABLE _status)
if(NOT _status EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "help2man failed on ${PROGRAM}")
endif()

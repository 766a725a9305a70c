# Writes a program's manual page with help2man from its own --help and
# --version, compressed as Debian wants it (gzip -9n: no name, no time
# stamp, so the same program gives the same bytes), at build time:
#
#   cmake -DHELP2MAN=... -DGZIP=... -DPROGRAM=... -DNAME="one line"
#         -DOUTPUT=x.1.gz -P man_page.cmake
#
# With -DSOURCE=page.1.in -DPROJECT_VERSION=... the page is that source,
# maintained by hand, with @PROJECT_VERSION@ filled in, instead; with
# -DOPTIONS_FILE=options.1 also @OPTIONS@, with that file's roff.
#
# A program that does not answer --version at once (a window that opens
# instead) gets no page, with a warning, rather than a build that waits.
string(REGEX REPLACE "\\.gz$" "" _plain "${OUTPUT}")
if(_plain STREQUAL OUTPUT)
  message(FATAL_ERROR "man_page.cmake writes a .gz page, not ${OUTPUT}")
endif()
file(REMOVE ${_plain} ${OUTPUT})
if(SOURCE)
  if(OPTIONS_FILE)
    file(READ ${OPTIONS_FILE} OPTIONS)
  endif()
  configure_file(${SOURCE} ${_plain} @ONLY)
  execute_process(COMMAND ${GZIP} -9nf ${_plain} RESULT_VARIABLE _status)
  if(NOT _status EQUAL 0)
    file(REMOVE ${_plain} ${OUTPUT})
    message(FATAL_ERROR "gzip failed on ${_plain}")
  endif()
  return()
endif()
execute_process(
  COMMAND timeout 20 ${PROGRAM} --version
  RESULT_VARIABLE _status
  OUTPUT_VARIABLE _version
  ERROR_QUIET)
if(NOT _status EQUAL 0 OR _version STREQUAL "")
  message(WARNING "${PROGRAM} does not answer --version: no manual page")
  return()
endif()
execute_process(
  COMMAND ${HELP2MAN} --no-info --name=${NAME} --output=${_plain} ${PROGRAM}
  RESULT_VARIABLE _status)
if(NOT _status EQUAL 0)
  file(REMOVE ${_plain})
  message(FATAL_ERROR "help2man failed on ${PROGRAM}")
endif()
execute_process(COMMAND ${GZIP} -9nf ${_plain} RESULT_VARIABLE _status)
if(NOT _status EQUAL 0)
  file(REMOVE ${_plain} ${OUTPUT})
  message(FATAL_ERROR "gzip failed on ${_plain}")
endif()

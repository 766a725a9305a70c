# The Debian packages (make deb runs cpack -G DEB in a tree configured with
# -DSNPLN_DEBIAN=ON), one per install component, so that the two packages
# together install exactly what `make install` installs, under /usr:
#
#   snpln-cli  the command line, its manual page and its bash completion
#   snpln      the window, its desktop entry, icons, AppStream metadata,
#              manual page and Russian catalogue
#
# Dependencies on shared libraries come from dpkg-shlibdeps, so snpln-cli
# depends on the C and C++ runtimes only and snpln on the Qt 6 libraries it
# links. Each package also carries the Debian documents written here:
# /usr/share/doc/PACKAGE/copyright (the licence) and changelog.Debian.gz.
#
# SNPLN_DEB_REVISION is the Debian revision (the version is
# PROJECT_VERSION-REVISION); SNPLN_DEB_MAINTAINER defaults to the git
# identity of the source tree (below); SOURCE_DATE_EPOCH, when set, dates the
# changelog (make deb sets it to the time of the last commit).

set(SNPLN_DEB_REVISION 1 CACHE STRING "Debian revision of the packages")

# The maintainer: the git identity of the source tree, else the author of
# its last commit.
function(snpln_git_answer var)
  execute_process(
    COMMAND git ${ARGN}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE _answer
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  set(${var} "${_answer}" PARENT_SCOPE)
endfunction()
if(NOT SNPLN_DEB_MAINTAINER)
  snpln_git_answer(_name config user.name)
  snpln_git_answer(_email config user.email)
  if(_name STREQUAL "" OR _email STREQUAL "")
    snpln_git_answer(_name log -1 --format=%an)
    snpln_git_answer(_email log -1 --format=%ae)
  endif()
  if(_name STREQUAL "" OR _email STREQUAL "")
    message(FATAL_ERROR "The Debian packages need a maintainer: set git's "
            "user.name and user.email, or -DSNPLN_DEB_MAINTAINER=\"Name <mail>\"")
  endif()
  set(SNPLN_DEB_MAINTAINER "${_name} <${_email}>")
endif()

if(NOT SNPLN_GZIP)
  message(FATAL_ERROR "The Debian packages need gzip")
endif()

set(_deb_packages snpln-cli)
if(TARGET snpln)
  list(APPEND _deb_packages snpln)
endif()
set(_deb_version ${PROJECT_VERSION}-${SNPLN_DEB_REVISION})

# The Debian documents: the copyright file is the licence as it stands, the
# changelog one entry for this version, compressed as Debian wants it.
set(_deb_docs ${PROJECT_BINARY_DIR}/debian)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE _licence)
# Written only when changed, so that a new configure rebuilds nothing.
function(snpln_write_if_changed path content)
  if(EXISTS ${path})
    file(READ ${path} _old)
    if(_old STREQUAL content)
      return()
    endif()
  endif()
  file(WRITE ${path} "${content}")
endfunction()
string(CONCAT _copyright
       "Snipline (SNPLN): the packages snpln and snpln-cli, built from the\n"
       "project's own source tree, which is under this licence:\n\n"
       "${_licence}")
snpln_write_if_changed(${_deb_docs}/copyright "${_copyright}")
string(TIMESTAMP _deb_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
string(CONCAT _changelog
       "snpln (${_deb_version}) unstable; urgency=medium\n\n"
       "  * Snipline ${PROJECT_VERSION}: the window and the command line.\n\n"
       " -- ${SNPLN_DEB_MAINTAINER}  ${_deb_date}\n")
snpln_write_if_changed(${_deb_docs}/changelog.Debian "${_changelog}")
add_custom_command(
  OUTPUT ${_deb_docs}/changelog.Debian.gz
  COMMAND ${SNPLN_GZIP} -9nkf ${_deb_docs}/changelog.Debian
  DEPENDS ${_deb_docs}/changelog.Debian
  COMMENT "Compressing the Debian changelog"
  VERBATIM)
add_custom_target(snpln_debian_documents ALL
                  DEPENDS ${_deb_docs}/changelog.Debian.gz)
foreach(_package IN LISTS _deb_packages)
  install(FILES ${_deb_docs}/copyright ${_deb_docs}/changelog.Debian.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${_package}
          COMPONENT ${_package})
endforeach()

# Each program stripped as dh_strip strips it: no symbols, and none of the
# compiler's .comment and .note sections (install(TARGETS)'s own strip
# leaves those).
foreach(_package IN LISTS _deb_packages)
  install(CODE "
    execute_process(
      COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${_package}\"
      RESULT_VARIABLE _status)
    if(NOT _status EQUAL 0)
      message(FATAL_ERROR \"strip failed on ${_package}\")
    endif()"
          COMPONENT ${_package})
endforeach()

set(_deb_about
    "Snipline rewrites Russian plain-text files and whole directory trees in\n"
    "place: it recodes between CP866, Windows-1251, KOI8-R, ISO 8859-5 and\n"
    "UTF-8 with detection of the source code page, converts to upper, lower\n"
    "or sentence case, removes or replaces a string, turns runs of blanks\n"
    "into TABs and removes excessive empty lines. Every file is rewritten\n"
    "through a temporary file that takes its place only when its job has\n"
    "succeeded, keeping the file's mode and owner.\n"
    "\n")
string(CONCAT CPACK_DEBIAN_SNPLN-CLI_DESCRIPTION
       "rewrite Russian plain-text files in place (command line)\n"
       ${_deb_about}
       "This package holds snpln-cli, the command line for scripts and\n"
       "pipelines, with its manual page and bash completion.")
string(CONCAT CPACK_DEBIAN_SNPLN_DESCRIPTION
       "rewrite Russian plain-text files in place (Qt window)\n"
       ${_deb_about}
       "This package holds snpln, the Qt 6 window, with its desktop entry,\n"
       "icons, AppStream metadata, manual page and Russian translation. The\n"
       "command line is in the package snpln-cli.")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME snpln)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR}/packages)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${_deb_packages})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${SNPLN_DEB_REVISION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${SNPLN_DEB_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_SNPLN-CLI_PACKAGE_NAME snpln-cli)
set(CPACK_DEBIAN_SNPLN-CLI_PACKAGE_SOURCE snpln)

set(CPACK_DEBIAN_SNPLN_PACKAGE_NAME snpln)
# The window's pictures and dialogs are drawn in a font metric-compatible
# with the one they were laid out in; Qt's own Russian texts (standard
# buttons of its dialogs) come from Qt's translations when installed.
set(CPACK_DEBIAN_SNPLN_PACKAGE_DEPENDS fonts-liberation)
set(CPACK_DEBIAN_SNPLN_PACKAGE_RECOMMENDS qt6-translations-l10n)

include(CPack)

# Installation and the Debian package.
#
#   cmake --build build --target package     ->  dist/zelvanor_<version>_<arch>.deb
#
# Installed, the programs keep their data in the user's XDG data home and read the language files
# and sounds from <prefix>/share/zelvanor/ (src/base/directories.h).
include(GNUInstallDirs)

install(TARGETS zelvanor-cli zelvanor-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Symbols bound at start and relocations read-only, as Debian builds its programs.
foreach(program zelvanor zelvanor-cli zelvanor-sim)
  if(TARGET ${program})
    target_link_options(${program} PRIVATE -Wl,-z,relro,-z,now)
  endif()
endforeach()

# Manual pages, compressed as Debian wants them: no file name or time in the gzip header.
set(ZEL_MAN_OUT)
foreach(page zelvanor zelvanor-cli zelvanor-sim)
  set(src "${CMAKE_SOURCE_DIR}/dist/man/${page}.1")
  set(out "${CMAKE_BINARY_DIR}/man/${page}.1.gz")
  add_custom_command(OUTPUT "${out}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/man"
    COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh "${src}" "${out}"
    DEPENDS "${src}"
    COMMENT "Manual page ${page}(1)"
    VERBATIM)
  list(APPEND ZEL_MAN_OUT "${out}")
endforeach()
add_custom_target(zel_man_pages ALL DEPENDS ${ZEL_MAN_OUT})
install(FILES ${ZEL_MAN_OUT} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The software centres' description of the desktop program carries the version and the day it
# was configured (SOURCE_DATE_EPOCH, when set, fixes that day).
if(TARGET zelvanor)
  string(TIMESTAMP ZEL_RELEASE_DATE "%Y-%m-%d" UTC)
  configure_file("${CMAKE_SOURCE_DIR}/dist/io.github.zelvanor.zelvanor.metainfo.xml.in"
                 "${CMAKE_BINARY_DIR}/dist/io.github.zelvanor.zelvanor.metainfo.xml" @ONLY)
  install(FILES "${CMAKE_BINARY_DIR}/dist/io.github.zelvanor.zelvanor.metainfo.xml"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# The help pages, once the sources have them.
if(EXISTS "${CMAKE_SOURCE_DIR}/help")
  install(DIRECTORY "${CMAKE_SOURCE_DIR}/help/" DESTINATION ${CMAKE_INSTALL_DATADIR}/zelvanor/help)
endif()

# The logger as a service of the system, once the sources have it.
if(EXISTS "${CMAKE_SOURCE_DIR}/dist/zelvanor-log@.service")
  install(FILES "${CMAKE_SOURCE_DIR}/dist/zelvanor-log@.service"
          DESTINATION lib/systemd/system)
endif()

# What Debian asks of every package's documentation directory.
set(ZEL_MAINTAINER "The Zelvanor developers <zelvanor@users.noreply.github.com>"
    CACHE STRING "Maintainer of the Debian package (name <address>)")
string(TIMESTAMP ZEL_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file("${CMAKE_SOURCE_DIR}/dist/changelog.in" "${CMAKE_BINARY_DIR}/dist/changelog" @ONLY)
add_custom_command(OUTPUT "${CMAKE_BINARY_DIR}/dist/changelog.gz"
  COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh "${CMAKE_BINARY_DIR}/dist/changelog"
          "${CMAKE_BINARY_DIR}/dist/changelog.gz"
  DEPENDS "${CMAKE_BINARY_DIR}/dist/changelog"
  VERBATIM)
add_custom_target(zel_changelog ALL DEPENDS "${CMAKE_BINARY_DIR}/dist/changelog.gz")
set(ZEL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/zelvanor)
install(FILES "${CMAKE_SOURCE_DIR}/dist/copyright" "${CMAKE_BINARY_DIR}/dist/changelog.gz"
        DESTINATION ${ZEL_DOCDIR})
install(FILES "${CMAKE_SOURCE_DIR}/README.md" DESTINATION ${ZEL_DOCDIR})
install(FILES "${CMAKE_SOURCE_DIR}/dist/lintian-overrides" RENAME zelvanor
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelvanor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${ZEL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "monitor and log VORN and Gamma Scout Geiger counters")
set(CPACK_PACKAGE_DESCRIPTION
    "Zelvanor drives Geiger counters on a serial line and keeps, shows and
analyses what they measure: counts per minute and dose rate, an alarm above a
threshold, a dated capture file per counter, statistics and charts, and Gamma
Scout logs decoded into reports. It speaks to the VORN counters (VORN2, 3, 8, 9
and 10) and to the Gamma Scout counters of every firmware generation.

The package holds the desktop program zelvanor, zelvanor-cli (the same core
without windows, for logging on a machine without a display) and zelvanor-sim
(a counter simulator on a pseudo-terminal).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX "${CMAKE_SOURCE_DIR}/dist")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zelvanor.github.io")
# The libraries the programs link, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)

# Install rules, and the archive CPack makes of them: a tarball of the program that a plain
# install puts in place on Linux, a zip on Windows. The .deb is debhelper's (debian/), the source
# tarball git's (HACKING.md).
include(GNUInstallDirs)

# CPack 3.25 packs nothing, and says nothing of it, from a path with a bracket.
if(PROJECT_BINARY_DIR MATCHES "[][]")
  message(FATAL_ERROR "CPack would make empty packages in ${PROJECT_BINARY_DIR}, as its path "
                      "holds [ or ]: build in a folder whose path holds neither")
endif()

# A plain install, as a distribution packages it.
install(TARGETS lumvert lumvert-check lumvert-port COMPONENT program)
install(FILES doc/lumvert.1 doc/lumvert-check.1 doc/lumvert-port.1 DESTINATION "${CMAKE_INSTALL_MANDIR}/man1"
        COMPONENT documents)
install(FILES README.md CHANGELOG.md DESTINATION "${CMAKE_INSTALL_DOCDIR}" COMPONENT documents)

if(WIN32)
  include(package/windows.cmake)
else()
  # The port's tables, for a map maker to copy and change.
  install(FILES port/tables/rtcw-mp.table port/tables/et.table DESTINATION "${CMAKE_INSTALL_DATADIR}/lumvert"
          COMPONENT documents)
  # The tarball: the plain install and the license. What GCC links into a dynamic program is
  # under its Runtime Library Exception, which asks for no notice.
  install(FILES LICENSE DESTINATION "${CMAKE_INSTALL_DOCDIR}" COMPONENT archive EXCLUDE_FROM_ALL)
  set(CPACK_COMPONENTS_ALL program documents archive)
  set(CPACK_GENERATOR TGZ)
  set(CPACK_SYSTEM_NAME "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}")
endif()
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
# Read by cpack: the time of the files in the archive.
set(CPACK_LUMVERT_SOURCE_DIR "${PROJECT_SOURCE_DIR}")
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_SOURCE_DIR}/package/cpack_project.cmake")
set(CPACK_PRE_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/package/staged_modes.cmake")
# No package_source: CPack's would pack the build folders in the tree, itself among them, while
# git archive packs the tracked files (HACKING.md). The target exists only for this file's name.
set(CPACK_SOURCE_OUTPUT_CONFIG_FILE "${PROJECT_BINARY_DIR}/CPackSourceConfig-unused.cmake")
include(CPack)

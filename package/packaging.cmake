# Install rules, and the archive CPack makes of them: a tarball of the
# self-contained program on Linux, a zip on Windows. The .deb is debhelper's
# (debian/), the source tarball git's (HACKING.md).
include(GNUInstallDirs)

# CPack 3.25 packs nothing, and says nothing of it, from a path with a bracket.
if(PROJECT_BINARY_DIR MATCHES "[][]")
  message(FATAL_ERROR "CPack would make empty packages in ${PROJECT_BINARY_DIR}, as its path "
                      "holds [ or ]: build in a folder whose path holds neither")
endif()

# A plain install, as a distribution packages it.
install(TARGETS lumvert COMPONENT program)
install(FILES doc/lumvert.1 DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT documents)
install(FILES README.md CHANGELOG.md DESTINATION "${CMAKE_INSTALL_DOCDIR}" COMPONENT documents)

# The archive's program carries the C library; its notices travel with it. What else the linker
# takes in is GCC's, under its Runtime Library Exception (HACKING.md).
if(WIN32)
  set(notices mingw-w64)
  set(CPACK_COMPONENTS_ALL archive)
  include(package/windows.cmake)
elseif(TARGET lumvert_static)
  set(notices glibc LGPL-2.1)
  set(CPACK_COMPONENTS_ALL documents archive)
  install(TARGETS lumvert_static COMPONENT archive EXCLUDE_FROM_ALL)
  install(FILES LICENSE "${PROJECT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt"
          DESTINATION "${CMAKE_INSTALL_DOCDIR}" COMPONENT archive EXCLUDE_FROM_ALL)
else()
  set(CPACK_COMPONENTS_ALL program documents)
endif()
if(notices)
  add_custom_command(OUTPUT THIRD-PARTY-NOTICES.txt DEPENDS package/notices.cmake VERBATIM
                     COMMAND "${CMAKE_COMMAND}" "-DCOMPILER=${CMAKE_CXX_COMPILER}" "-DNOTICES=${notices}"
                             "-DOUTPUT=${PROJECT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt" "-DCRLF=${WIN32}"
                             -P "${PROJECT_SOURCE_DIR}/package/notices.cmake")
  add_custom_target(notices ALL DEPENDS THIRD-PARTY-NOTICES.txt)
endif()

if(NOT WIN32)
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

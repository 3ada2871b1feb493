# Install rules and the packages CPack makes of them: a zip on Windows; on
# other systems a tarball and a Debian package. Three components keep each
# package to what it needs: "program" goes everywhere, "archive" (the license
# and changelog as people read them) into the zip and the tarball, "debian"
# (the same in Debian's forms, and lintian's overrides) into the .deb alone.
include(GNUInstallDirs)

set(LUMVERT_MAINTAINER "the lumvert authors <lumvert@invalid>"
    CACHE STRING "The packages' maintainer, as: name <address>")

if(WIN32)
  # One folder to unpack next to the maps.
  install(TARGETS lumvert RUNTIME DESTINATION . COMPONENT program)
  install(FILES README.md CHANGELOG.md LICENSE DESTINATION . COMPONENT program)
else()
  install(TARGETS lumvert RUNTIME COMPONENT program)
  # Manual page and changelog are compressed reproducibly, as Debian does.
  add_custom_command(OUTPUT lumvert.1.gz
                     COMMAND "${CMAKE_COMMAND}" -E copy "${PROJECT_SOURCE_DIR}/doc/lumvert.1" .
                     COMMAND gzip -9nf lumvert.1
                     DEPENDS doc/lumvert.1 VERBATIM)
  add_custom_command(OUTPUT debian/changelog.gz debian/copyright
                     COMMAND "${CMAKE_COMMAND}" "-DSOURCE_DIR=${PROJECT_SOURCE_DIR}"
                             "-DOUTPUT_DIR=${PROJECT_BINARY_DIR}/debian" "-DPACKAGE=lumvert"
                             "-DMAINTAINER=${LUMVERT_MAINTAINER}"
                             -P "${PROJECT_SOURCE_DIR}/package/debian_files.cmake"
                     COMMAND gzip -9nf debian/changelog
                     DEPENDS CHANGELOG.md LICENSE package/debian_files.cmake VERBATIM)
  add_custom_target(package_files ALL DEPENDS lumvert.1.gz debian/changelog.gz debian/copyright)
  install(FILES "${PROJECT_BINARY_DIR}/lumvert.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1"
          COMPONENT program)
  install(FILES README.md DESTINATION "${CMAKE_INSTALL_DOCDIR}" COMPONENT program)
  install(FILES CHANGELOG.md LICENSE DESTINATION "${CMAKE_INSTALL_DOCDIR}" COMPONENT archive)
  install(FILES "${PROJECT_BINARY_DIR}/debian/changelog.gz" "${PROJECT_BINARY_DIR}/debian/copyright"
          DESTINATION "${CMAKE_INSTALL_DOCDIR}" COMPONENT debian)
  # What lintian is told to pass over, each with the reason.
  set(overrides "")
  if(LUMVERT_STATIC)
    string(CONCAT overrides "${overrides}"
           "# Static on purpose: a map pack is converted one process a map, and without the\n"
           "# dynamic loader each starts faster. lumvert uses no NSS, iconv or dlopen.\n"
           "lumvert: statically-linked-binary [usr/bin/lumvert]\n")
  endif()
  if(LUMVERT_MAINTAINER MATCHES "@invalid>$")
    string(CONCAT overrides "${overrides}"
           "# The project has no mail address yet: the placeholder in the changelog is the\n"
           "# one in the Maintainer field, which lintian reports as bogus-mail-host.\n"
           "lumvert: bogus-mail-host-in-debian-changelog\n")
  endif()
  if(overrides)
    file(WRITE "${PROJECT_BINARY_DIR}/debian/lintian-overrides" "${overrides}")
    install(FILES "${PROJECT_BINARY_DIR}/debian/lintian-overrides"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides" RENAME lumvert
            COMPONENT debian)
  endif()
endif()

set(CPACK_PACKAGE_VENDOR "the lumvert authors")
set(CPACK_PACKAGE_CONTACT "${LUMVERT_MAINTAINER}")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "lumvert turns a compiled Quake III Arena map (a BSP file, version 46)\n"
       "into a map that Return to Castle Wolfenstein loads (version 47), and\n"
       "turns such a map back with -u. It copies the map byte for byte but for\n"
       "the version in its header, never writes to the source map, and reports\n"
       "success only when the whole target was written.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_SYSTEM_NAME "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}")
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# A dynamically linked lumvert depends on the libraries it was linked with.
if(NOT LUMVERT_STATIC)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_SOURCE_DIR}/package/cpack_project.cmake")
include(CPack)

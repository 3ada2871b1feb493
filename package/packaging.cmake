# Install rules and the packages CPack makes of them: a zip on Windows; on
# other systems a tarball and a Debian package. Components keep each package
# to what it needs (package/cpack_project.cmake picks them):
# - "program", "manual" and "documents" (README, changelog and license as
#   people read them) are what a plain `cmake --install` installs;
# - "static" (the self-contained program, in place of "program") and
#   "notices" (the licenses of the libraries linked into it) go into the
#   tarball and the zip alone, "debian" (the documents in Debian's forms and
#   lintian's overrides) into the .deb alone: packages install them, a plain
#   install does not.
include(GNUInstallDirs)

# CPack 3.25 packs nothing, and says nothing of it, from a build folder whose
# path holds a bracket.
if(PROJECT_BINARY_DIR MATCHES "[][]")
  message(FATAL_ERROR "CPack would make empty packages in ${PROJECT_BINARY_DIR}, as its path "
                      "holds [ or ]: build in a folder whose path holds neither")
endif()

set(LUMVERT_MAINTAINER "the lumvert authors <lumvert@invalid>"
    CACHE STRING "The packages' maintainer, as: name <address>")

# The libraries that a self-contained lumvert carries, whose notices travel with it.
if(WIN32)
  set(linked_libraries libstdc++.a libgcc.a libwinpthread.a libmsvcrt.a)
  set(self_contained lumvert)
  set(doc_dir .)
  install(TARGETS lumvert RUNTIME DESTINATION . COMPONENT program)
else()
  set(linked_libraries libc.a libstdc++.a libgcc.a)
  set(self_contained lumvert_static)
  set(doc_dir "${CMAKE_INSTALL_DOCDIR}")
  install(TARGETS lumvert RUNTIME COMPONENT program)
endif()
install(FILES README.md CHANGELOG.md LICENSE DESTINATION "${doc_dir}" COMPONENT documents)
if(TARGET ${self_contained})
  add_custom_command(OUTPUT THIRD-PARTY-NOTICES.txt
                     COMMAND "${CMAKE_COMMAND}" "-DCOMPILER=${CMAKE_CXX_COMPILER}"
                             "-DLIBRARIES=${linked_libraries}"
                             "-DOUTPUT=${PROJECT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt"
                             -P "${PROJECT_SOURCE_DIR}/package/notices.cmake"
                     DEPENDS package/notices.cmake VERBATIM)
  add_custom_target(notices ALL DEPENDS THIRD-PARTY-NOTICES.txt)
  install(FILES "${PROJECT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt" DESTINATION "${doc_dir}"
          COMPONENT notices EXCLUDE_FROM_ALL)
endif()

if(NOT WIN32)
  if(TARGET lumvert_static)
    install(TARGETS lumvert_static RUNTIME COMPONENT static EXCLUDE_FROM_ALL)
  endif()
  # Manual page, changelog and README are compressed reproducibly, as Debian does.
  add_custom_command(OUTPUT lumvert.1.gz
                     COMMAND "${CMAKE_COMMAND}" -E copy "${PROJECT_SOURCE_DIR}/doc/lumvert.1" .
                     COMMAND gzip -9nf lumvert.1
                     DEPENDS doc/lumvert.1 VERBATIM)
  add_custom_command(OUTPUT debian/changelog.gz debian/copyright debian/README.md.gz
                     COMMAND "${CMAKE_COMMAND}" "-DSOURCE_DIR=${PROJECT_SOURCE_DIR}"
                             "-DOUTPUT_DIR=${PROJECT_BINARY_DIR}/debian" "-DPACKAGE=lumvert"
                             "-DMAINTAINER=${LUMVERT_MAINTAINER}"
                             -P "${PROJECT_SOURCE_DIR}/package/debian_files.cmake"
                     COMMAND "${CMAKE_COMMAND}" -E copy "${PROJECT_SOURCE_DIR}/README.md" debian
                     COMMAND gzip -9nf debian/changelog debian/README.md
                     DEPENDS CHANGELOG.md LICENSE README.md package/debian_files.cmake VERBATIM)
  add_custom_target(package_files ALL DEPENDS lumvert.1.gz debian/changelog.gz)
  install(FILES "${PROJECT_BINARY_DIR}/lumvert.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1"
          COMPONENT manual)
  install(FILES "${PROJECT_BINARY_DIR}/debian/changelog.gz" "${PROJECT_BINARY_DIR}/debian/copyright"
                "${PROJECT_BINARY_DIR}/debian/README.md.gz"
          DESTINATION "${CMAKE_INSTALL_DOCDIR}" COMPONENT debian EXCLUDE_FROM_ALL)
  # What lintian is told to pass over, each with the reason.
  string(CONCAT overrides
         "# The misspellings are the tool's fixed output, kept as map makers' scripts know it.\n"
         "lumvert: spelling-error-in-binary paramaters parameters [usr/bin/lumvert]\n"
         "lumvert: spelling-error-in-binary successfull successful [usr/bin/lumvert]\n"
         "# Compiled with -D_FORTIFY_SOURCE=2, and the compiler found no call to check at run\n"
         "# time: the sizes it sees are proven at compile time, the copy block's it cannot see.\n"
         "lumvert: hardening-no-fortify-functions [usr/bin/lumvert]\n")
  if(LUMVERT_MAINTAINER MATCHES "@invalid>$")
    string(CONCAT overrides "${overrides}"
           "# The project has no mail address yet: the placeholder in the changelog is the\n"
           "# one in the Maintainer field, which lintian reports as bogus-mail-host.\n"
           "lumvert: bogus-mail-host-in-debian-changelog\n")
  endif()
  file(WRITE "${PROJECT_BINARY_DIR}/debian/lintian-overrides" "${overrides}")
  install(FILES "${PROJECT_BINARY_DIR}/debian/lintian-overrides"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides" RENAME lumvert
          COMPONENT debian EXCLUDE_FROM_ALL)
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
# The .deb's lumvert is linked dynamically and depends on the libraries it was linked with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the tarball or the zip holds, read by package/cpack_project.cmake: the
# self-contained program and its notices, where the build made one.
if(WIN32)
  set(CPACK_LUMVERT_ARCHIVE program documents notices)
elseif(TARGET lumvert_static)
  set(CPACK_LUMVERT_ARCHIVE static manual documents notices)
else()
  set(CPACK_LUMVERT_ARCHIVE program manual documents)
endif()
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_SOURCE_DIR}/package/cpack_project.cmake")
include(CPack)

# The zip, for map makers who never open a terminal: lumvert.exe and lumvert-check.exe, a batch
# file to drop maps on for each way, and the documents as .txt with CRLF line ends, which open
# with a double-click: a short page of the zip's own instead of README.md, the changelog, the
# license, and the notice of the MinGW-w64 runtime that both programs carry (its ZPL asks for it
# in binaries).
set(CPACK_GENERATOR ZIP)
set(CPACK_COMPONENTS_ALL archive)
install(TARGETS lumvert lumvert-check RUNTIME DESTINATION . COMPONENT archive EXCLUDE_FROM_ALL)
file(READ "${PROJECT_SOURCE_DIR}/package/notices/mingw-w64.txt" notice)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS package/notices/mingw-w64.txt)
string(CONCAT notice "lumvert.exe and lumvert-check.exe carry code of the library below, linked\n"
       "into them. Its copyright and license notice follows.\n\n==== crt2u.o, libmingw32.a, libmingwex.a, libmsvcrt.a: "
       "MinGW-w64's C runtime ====\n\n${notice}")
string(REPLACE "\n" "\r\n" notice "${notice}")
file(WRITE "${PROJECT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt" "${notice}")
set(files "${PROJECT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt")
foreach(way IN ITEMS "rtcw;;rtcw-mp" "q3a;-u ;q3a")
  list(GET way 0 FOLDER)
  list(GET way 1 OPTION)
  list(GET way 2 GAME)
  configure_file(package/convert.bat.in convert-to-${FOLDER}.bat @ONLY NEWLINE_STYLE CRLF)
  list(APPEND files "${PROJECT_BINARY_DIR}/convert-to-${FOLDER}.bat")
endforeach()
foreach(document IN ITEMS package/README.txt CHANGELOG.md LICENSE)
  get_filename_component(name ${document} NAME_WE)
  configure_file(${document} ${name}.txt @ONLY NEWLINE_STYLE CRLF)
  list(APPEND files "${PROJECT_BINARY_DIR}/${name}.txt")
endforeach()
install(FILES ${files} DESTINATION . COMPONENT archive EXCLUDE_FROM_ALL)

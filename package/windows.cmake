# The zip, for map makers who never open a terminal: lumvert.exe, a batch file to drop maps on
# for each way, and the documents as .txt with CRLF line ends, which open with a double-click:
# a short page of the zip's own instead of README.md, the changelog and the license.
set(CPACK_GENERATOR ZIP)
install(TARGETS lumvert RUNTIME DESTINATION . COMPONENT archive EXCLUDE_FROM_ALL)
set(files "${PROJECT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt")
foreach(way IN ITEMS "rtcw;" "q3a;-u ")
  list(GET way 0 FOLDER)
  list(GET way 1 OPTION)
  configure_file(package/convert.bat.in convert-to-${FOLDER}.bat @ONLY NEWLINE_STYLE CRLF)
  list(APPEND files "${PROJECT_BINARY_DIR}/convert-to-${FOLDER}.bat")
endforeach()
foreach(document IN ITEMS package/README.txt CHANGELOG.md LICENSE)
  get_filename_component(name ${document} NAME_WE)
  configure_file(${document} ${name}.txt @ONLY NEWLINE_STYLE CRLF)
  list(APPEND files "${PROJECT_BINARY_DIR}/${name}.txt")
endforeach()
install(FILES ${files} DESTINATION . COMPONENT archive EXCLUDE_FROM_ALL)

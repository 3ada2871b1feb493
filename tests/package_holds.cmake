# Packs the build's archive with cpack in a folder of its own, removed whatever happened, and
# checks that it holds exactly the files named, below its top folder.
#
#   cmake -DCPACK=... -DCONFIG=.../CPackConfig.cmake "-DFILES=a;b;..." -P package_holds.cmake
string(RANDOM LENGTH 12 suffix)
set(folder "${CMAKE_CURRENT_BINARY_DIR}/package_holds_${suffix}")
execute_process(COMMAND "${CPACK}" --config "${CONFIG}" -B "${folder}" RESULT_VARIABLE status
                OUTPUT_VARIABLE said ERROR_VARIABLE said)
file(GLOB archive "${folder}/*.tar.gz" "${folder}/*.zip")
set(held "")
if(status EQUAL 0 AND archive)
  file(ARCHIVE_EXTRACT INPUT "${archive}" DESTINATION "${folder}/files")
  file(GLOB_RECURSE held RELATIVE "${folder}/files" "${folder}/files/*")
endif()
file(REMOVE_RECURSE "${folder}")
list(SORT held)
list(SORT FILES)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${said}")
elseif(NOT held STREQUAL FILES)
  message(FATAL_ERROR "the archive holds:\n${held}\nnot:\n${FILES}")
endif()

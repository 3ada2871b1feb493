# Writes the notices of the libraries that a self-contained lumvert carries: for each library
# archive the compiler links, the copyright file that the Debian package holding that archive
# installed on this build machine, word for word, once for all the archives it covers.
#
#   cmake -DCOMPILER=... "-DLIBRARIES=libc.a;..." -DOUTPUT=... [-DCRLF=ON] -P notices.cmake
cmake_policy(VERSION 3.25)
set(copyrights "")
foreach(library IN LISTS LIBRARIES)
  execute_process(COMMAND "${COMPILER}" -print-file-name=${library}
                  OUTPUT_VARIABLE archive OUTPUT_STRIP_TRAILING_WHITESPACE)
  file(REAL_PATH "${archive}" archive)
  execute_process(COMMAND dpkg-query -S "${archive}" OUTPUT_VARIABLE owner RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT owner MATCHES "^([^:,]+)")
    message(FATAL_ERROR "No Debian package holds ${archive}, the ${library} that ${COMPILER} links")
  endif()
  set(copyright "/usr/share/doc/${CMAKE_MATCH_1}/copyright")
  if(NOT EXISTS "${copyright}")
    message(FATAL_ERROR "${copyright}, the notice of ${library}, is missing")
  endif()
  file(REAL_PATH "${copyright}" copyright)
  if(NOT copyright IN_LIST copyrights)
    list(APPEND copyrights "${copyright}")
  endif()
  list(FIND copyrights "${copyright}" index)
  list(APPEND covers_${index} "${library}")
endforeach()

string(CONCAT notices
       "lumvert carries code of the libraries below, linked into its program. Their\n"
       "copyright and license notices follow, as the build machine's Debian packages ship them.\n")
foreach(copyright IN LISTS copyrights)
  list(FIND copyrights "${copyright}" index)
  list(JOIN covers_${index} ", " libraries)
  file(READ "${copyright}" text)
  string(APPEND notices "\n\n==== ${libraries}: ${copyright} ====\n\n${text}")
endforeach()
if(CRLF)
  string(REPLACE "\n" "\r\n" notices "${notices}")
endif()
file(WRITE "${OUTPUT}" "${notices}")

# Writes the notices of the C library that a self-contained lumvert carries, from the texts kept
# in notices/ (Debian 12's copyright files and the licenses they name; CI compares them with the
# build machine's), and the version of the GNU C Library that the compiler links.
#
#   cmake -DCOMPILER=... "-DNOTICES=glibc;LGPL-2.1" -DOUTPUT=... [-DCRLF=ON] -P notices.cmake
cmake_policy(VERSION 3.25)
set(glibc "libc.a and its start files: the GNU C Library")
set(mingw-w64 "crt2u.o, libmingw32.a, libmingwex.a, libmsvcrt.a: MinGW-w64's C runtime")
set(LGPL-2.1 "LGPL-2.1: the GNU Lesser General Public License, version 2.1")
string(CONCAT notices "lumvert carries code of the library below, linked into its program. Its\n"
       "copyright and license notices follow, with the license they name.\n")
foreach(notice IN LISTS NOTICES)
  set(heading "${${notice}}")
  file(READ "${CMAKE_CURRENT_LIST_DIR}/notices/${notice}.txt" text)
  if(notice STREQUAL "glibc")
    # The LGPL asks for the version and where its source is.
    execute_process(COMMAND "${COMPILER}" -dM -E -include features.h -x c++ /dev/null
                    OUTPUT_VARIABLE macros COMMAND_ERROR_IS_FATAL ANY)
    if(NOT macros MATCHES "__GLIBC__ ([0-9]+).*__GLIBC_MINOR__ ([0-9]+)")
      message(FATAL_ERROR "${COMPILER} links no GNU C Library, whose notice this holds")
    endif()
    set(version "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}")
    string(APPEND heading " ${version}")
    string(PREPEND text "Its source is https://ftp.gnu.org/gnu/glibc/glibc-${version}.tar.xz, with the\n"
           "changes of the distribution whose compiler built lumvert; lumvert's own source, from\n"
           "which its program can be linked again with a changed library, is published with it.\n\n")
  endif()
  string(APPEND notices "\n\n==== ${heading} ====\n\n${text}")
endforeach()
if(CRLF)
  string(REPLACE "\n" "\r\n" notices "${notices}")
endif()
file(WRITE "${OUTPUT}" "${notices}")

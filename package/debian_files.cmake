# Writes the Debian package's changelog and copyright files from the project's own:
# - changelog, from CHANGELOG.md, in the form dpkg-parsechangelog reads: each
#   "## VERSION (YYYY-MM-DD)" heading opens an entry, each "- " line starts an
#   item, and indented lines continue it;
# - copyright, from LICENSE, in Debian's machine-readable form.
#
#   cmake -DSOURCE_DIR=... -DOUTPUT_DIR=... -DPACKAGE=... -DMAINTAINER=... -P debian_files.cmake

# RFC 2822, as Debian's changelog wants it, for midnight UTC of the day given.
function(rfc2822_date year month day out)
  string(REGEX REPLACE "^0" "" m "${month}")
  string(REGEX REPLACE "^0" "" d "${day}")
  set(y ${year})
  if(m LESS 3)
    math(EXPR y "${y} - 1")
  endif()
  # Sakamoto's day of the week, 0 for Sunday.
  set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
  math(EXPR i "${m} - 1")
  list(GET offsets ${i} offset)
  math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${d}) % 7")
  set(days Sun Mon Tue Wed Thu Fri Sat)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(GET days ${weekday} day_name)
  list(GET months ${i} month_name)
  set(${out} "${day_name}, ${day} ${month_name} ${year} 00:00:00 +0000" PARENT_SCOPE)
endfunction()

# Line by line without CMake lists, which would split at ";" and stumble over "[".
file(READ "${SOURCE_DIR}/CHANGELOG.md" text)
set(changelog "")
set(trailer "")
set(number 0)
while(NOT text STREQUAL "")
  math(EXPR number "${number} + 1")
  string(FIND "${text}" "\n" end)
  if(end EQUAL -1)
    # The last line has no line feed.
    set(line "${text}")
    set(text "")
  else()
    string(SUBSTRING "${text}" 0 ${end} line)
    math(EXPR next "${end} + 1")
    string(SUBSTRING "${text}" ${next} -1 text)
  endif()
  if(line MATCHES "^## ([^ ]+) \\(([0-9]+)-([0-9]+)-([0-9]+)\\)$")
    string(APPEND changelog "${trailer}${PACKAGE} (${CMAKE_MATCH_1}) unstable; urgency=medium\n\n")
    rfc2822_date(${CMAKE_MATCH_2} ${CMAKE_MATCH_3} ${CMAKE_MATCH_4} date)
    set(trailer "\n -- ${MAINTAINER}  ${date}\n\n")
  elseif(line MATCHES "^#")
    if(trailer OR NOT line MATCHES "^# ")
      message(FATAL_ERROR "CHANGELOG.md:${number}: a release heading reads \"## 1.0 (2027-01-31)\"")
    endif()
  elseif(line MATCHES "^- (.*)$" AND trailer)
    string(APPEND changelog "  * ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^ +(.*)$" AND trailer)
    string(APPEND changelog "    ${CMAKE_MATCH_1}\n")
  elseif(trailer AND NOT line STREQUAL "")
    message(FATAL_ERROR "CHANGELOG.md:${number}: an item begins with \"- \" and goes on indented")
  endif()
endwhile()
if(NOT trailer)
  message(FATAL_ERROR "CHANGELOG.md has no release heading such as \"## 1.0 (2027-01-31)\"")
endif()
string(REGEX REPLACE "\n\n$" "\n" changelog "${changelog}${trailer}")
file(WRITE "${OUTPUT_DIR}/changelog" "${changelog}")

# The holders from the "Copyright (c) ..." line; the license, the text after it.
file(READ "${SOURCE_DIR}/LICENSE" license)
if(NOT license MATCHES "\nCopyright \\(c\\) ([^\n]*)\n\n(.*)$")
  message(FATAL_ERROR "LICENSE has no line \"Copyright (c) YEAR HOLDERS\" followed by the text")
endif()
set(holders "${CMAKE_MATCH_1}")
string(REGEX REPLACE "\n+$" "" license "${CMAKE_MATCH_2}")
string(REGEX REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " license "${license}")
file(WRITE "${OUTPUT_DIR}/copyright"
     "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
     "Upstream-Name: ${PACKAGE}\n\nFiles: *\nCopyright: ${holders}\nLicense: Expat\n ${license}\n")

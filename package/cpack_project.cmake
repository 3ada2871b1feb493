# Read by cpack. An archive made twice from one commit is the same bytes: its
# files carry the time of the commit, unless SOURCE_DATE_EPOCH says another.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY "${CPACK_LUMVERT_SOURCE_DIR}"
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(epoch)
    set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
  endif()
endif()
# A zip holds each file's local time: the same in every time zone only when that is UTC.
set(ENV{TZ} UTC)

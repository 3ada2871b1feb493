# Converts the sample map with the built lumvert (under the emulator, if any) and checks the exit
# status, the success text and that the target differs from the sample in byte 4 alone, now 0x2f.
# Standard output goes to a file that this side opened, as a shell's > does (Wine must still tell
# that file from the target), and then that file is the target too, which is refused.
# It works in a folder of its own, removed whatever happened, so that test runs side by side never
# meet.
string(REPLACE "|" ";" emulator "${EMULATOR}")
string(RANDOM LENGTH 12 suffix)
set(folder "lumvert_sample_${suffix}")
file(MAKE_DIRECTORY "${folder}")
execute_process(COMMAND ${emulator} "${LUMVERT}" "${SAMPLE}" карта_rtcw.bsp
                WORKING_DIRECTORY "${folder}" RESULT_VARIABLE status OUTPUT_FILE log.txt)
file(READ "${folder}/log.txt" output)
execute_process(COMMAND ${emulator} "${LUMVERT}" "${SAMPLE}" log.txt
                WORKING_DIRECTORY "${folder}" RESULT_VARIABLE own_status OUTPUT_FILE log.txt)
set(rtcw "")
if(EXISTS "${folder}/карта_rtcw.bsp")
  file(READ "${folder}/карта_rtcw.bsp" rtcw HEX)
endif()
file(REMOVE_RECURSE "${folder}")
file(READ "${SAMPLE}" q3a HEX)
string(REGEX REPLACE "^(49425350)2e" "\\12f" expected "${q3a}")
if(NOT status EQUAL 0 OR NOT output MATCHES "\nSeems to be successfull!\r?\n.*devmap mymap\r?\n$")
  message(FATAL_ERROR "lumvert did not convert the sample: status ${status}, output:\n${output}")
elseif(NOT rtcw STREQUAL expected OR expected STREQUAL q3a)
  message(FATAL_ERROR "lumvert converted the sample wrongly:\ntarget: ${rtcw}\nsample: ${q3a}")
elseif(NOT own_status EQUAL 3)
  message(FATAL_ERROR "lumvert wrote the sample into its own output: status ${own_status}")
endif()

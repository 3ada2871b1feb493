# Converts the sample map with the built lumvert (under the emulator, if any) and checks the exit
# status, the success text and that the target differs from the sample in byte 4 alone, now 0x2f.
# It works in a folder of its own, removed after, so that test runs side by side never meet.
string(REPLACE "|" ";" emulator "${EMULATOR}")
string(RANDOM LENGTH 12 suffix)
set(folder "lumvert_sample_${suffix}")
file(MAKE_DIRECTORY "${folder}")
execute_process(COMMAND ${emulator} "${LUMVERT}" "${SAMPLE}" карта_rtcw.bsp
                WORKING_DIRECTORY "${folder}" RESULT_VARIABLE status OUTPUT_VARIABLE output)
file(READ "${SAMPLE}" q3a HEX)
file(READ "${folder}/карта_rtcw.bsp" rtcw HEX)
file(REMOVE_RECURSE "${folder}")
string(REGEX REPLACE "^(49425350)2e" "\\12f" expected "${q3a}")
if(NOT status EQUAL 0 OR NOT output MATCHES "\nSeems to be successfull!\r?\n.*devmap mymap\r?\n$"
   OR NOT rtcw STREQUAL expected OR expected STREQUAL q3a)
  message(FATAL_ERROR "status ${status}, output:\n${output}\ntarget: ${rtcw}\nsample: ${q3a}")
endif()

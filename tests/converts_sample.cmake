# Converts the sample map with the built lumvert (under the emulator, if any) and checks the exit
# status, the success text and that the target differs from the sample in byte 4 alone, now 0x2f.
string(REPLACE "|" ";" emulator "${EMULATOR}")
file(REMOVE карта_rtcw.bsp)
execute_process(COMMAND ${emulator} "${LUMVERT}" "${SAMPLE}" карта_rtcw.bsp
                RESULT_VARIABLE status OUTPUT_VARIABLE output)
file(READ "${SAMPLE}" q3a HEX)
file(READ карта_rtcw.bsp rtcw HEX)
string(REGEX REPLACE "^(49425350)2e" "\\12f" expected "${q3a}")
if(NOT status EQUAL 0 OR NOT output MATCHES "\nSeems to be successfull!\r?\n.*devmap mymap\r?\n$"
   OR NOT rtcw STREQUAL expected OR expected STREQUAL q3a)
  message(FATAL_ERROR "status ${status}, output:\n${output}\ntarget: ${rtcw}\nsample: ${q3a}")
endif()

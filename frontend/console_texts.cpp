#include "frontend/console_texts.hpp"

#include <cstdio>

namespace lumvert {

void print_banner()
{
    print_text("\nTarvel Map Converter 0.3\t\t\tDec 2001"
               "\nlumvert: Q3A maps (BSP 46) to RTCW maps (BSP 47) and back"
               "\nCheck for Updates at: the lumvert source repository\n");
}

void print_usage()
{
    print_text("\n\nUse:\t\tlumvert [options] source target"
               "\nOptions are:\t-u Undo (RTCW converted map back to Q3A)"
               "\n\nExample:\tlumvert mymap.bsp mywolfmap.bsp"
               "\nExample:\tlumvert -u mywolfmap.bsp myquakemap.bsp");
}

void print_success_hints()
{
    print_text("\nSeems to be successfull!\n\n"
               "If you have trouble loading the map file:\n"
               "-----------------------------------------\n"
               "- run RTCW with paramaters: +sv_cheats 1\n"
               "- be sure to set in the console: \\sv_pure 0\n"
               "- load map in console with: \\devmap mymap");
}

// The exit status tells the outcome, so a console that takes no text (a closed standard output)
// changes nothing of the conversion.
void print_text(const char* text) { static_cast<void>(std::fputs(text, stdout)); }

}  // namespace lumvert

#include "frontend/console_texts.hpp"

#include <iostream>

namespace lumvert {

void print_banner()
{
    std::cout << "\nTarvel Map Converter 0.3\t\t\tDec 2001"
              << "\nlumvert: Q3A maps (BSP 46) to RTCW maps (BSP 47) and back"
              << "\nCheck for Updates at: the lumvert source repository\n";
}

void print_usage()
{
    std::cout << "\n\nUse:\t\tlumvert [options] source target"
              << "\nOptions are:\t-u Undo (RTCW converted map back to Q3A)"
              << "\n\nExample:\tlumvert mymap.bsp mywolfmap.bsp"
              << "\nExample:\tlumvert -u mywolfmap.bsp myquakemap.bsp";
}

void print_success_hints()
{
    std::cout << "\nSeems to be successfull!\n\n"
              << "If you have trouble loading the map file:\n"
              << "-----------------------------------------\n"
              << "- run RTCW with paramaters: +sv_cheats 1\n"
              << "- be sure to set in the console: \\sv_pure 0\n"
              << "- load map in console with: \\devmap mymap";
}

}  // namespace lumvert

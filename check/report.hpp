#pragma once

#include "check/map_check.hpp"

namespace lumvert {

// The .aas files that lie beside a map, which bots and RTCW's AI find their way by.
enum bot_file : unsigned { q3a_aas = 1, rtcw_b0_aas = 2, rtcw_b1_aas = 4 };

// One paragraph of text, or one JSON object on a line, on standard output. `map` is the name as
// given, in UTF-8. False where the shaders could not be read again.
bool print_report(const char* map, int file, findings& found, unsigned bot_files, bool json);
// The line on standard error for a map that could not be checked, and its JSON object.
void print_failure(const char* map, const char* error, bool json);

}  // namespace lumvert

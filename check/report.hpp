#pragma once

#include "check/map_check.hpp"

namespace lumvert {

// One paragraph of text, or one JSON object on a line, on standard output. `map` is the name as
// given, in UTF-8 where it is any; `bot_files` has a bit for each of `bot_file_endings` that lies
// beside the map.
void print_report(const char* map, const findings& found, unsigned bot_files, bool json);
// The line on standard error for a map that could not be checked, and its JSON object.
void print_failure(const char* map, const char* error, bool json);

}  // namespace lumvert

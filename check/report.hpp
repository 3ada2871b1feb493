#pragma once

#include "check/map_check.hpp"
#include "map/json.hpp"

namespace lumvert {

// One paragraph of text, or one JSON object on a line, on standard output. `map` is the name as
// given, in UTF-8 where it is any; `bot_files` has a bit for each of `bot_file_endings` that lies
// beside the map.
void print_report(const char* map, const findings& found, unsigned bot_files, bool json);

}  // namespace lumvert

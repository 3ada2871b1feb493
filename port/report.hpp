#pragma once

#include "map/json.hpp"
#include "port/rewrite.hpp"

namespace lumvert {

// What a port did, for its report: the names in UTF-8, the script's null where one was kept.
struct port_names {
    const char* map;
    const char* target;
    const char* script;
};

// One paragraph of text, or one JSON object on a line, on standard output.
void print_port(const port_names& names, const game_row& target, const port_table& table,
                const port_counts& counts, bool json);

}  // namespace lumvert

#pragma once

#include "games/games.hpp"
#include "map/text.hpp"

#include <cstddef>
#include <cstdint>

namespace lumvert {

// A port's table: what becomes of each class of the source map, one rule a line.
enum class rule_kind { rename, drop, set, flags };

struct table_rule {
    rule_kind kind;
    const char* from;    // the source map's class
    const char* to;      // rename: the new class; set: the key
    const char* value;   // set: the value
    std::uint32_t bits;  // flags
};

constexpr std::size_t table_room = std::size_t{64} * 1024;
constexpr std::size_t most_rules = 1024;

struct port_table {
    char text[table_room];  // the table's text, its words ended in place
    std::size_t rules;
    table_rule rule[most_rules];
};

// The built-in table for a game, or null where there is none.
const char* default_table(game target);

// Reads the table whose text, NUL-ended, fills `table.text`. False, with the line and why in
// `why`, where a rule is wrong or names a class the target cannot spawn.
bool read_table(port_table& table, const game_row& target, text_builder& why);

// The rename rule for a class, or null; and each set or flags rule for it.
const table_rule* rule_for(const port_table& table, rule_kind kind, const char* classname);

}  // namespace lumvert

#pragma once

#include "map/entities.hpp"
#include "map/names.hpp"
#include "port/table.hpp"

#include <cstddef>
#include <cstdint>

namespace lumvert {

// A team's spawn points in the source, and where the first of them stands.
struct team_spawns {
    std::uint64_t count;
    char origin[64];
};

// What the rewrite needs to know of the whole map before it writes a block.
struct port_plan {
    team_spawns red;   // Axis
    team_spawns blue;  // Allies
    bool has_manager;  // a script_multiplayer named game_manager
    bool has_bounds;
    std::int64_t mins[2];  // model 0's, x and y
    std::int64_t maxs[2];
};

struct port_counts {
    std::uint64_t in;   // blocks read, the world's included
    std::uint64_t out;  // blocks written
    std::uint64_t renamed;
    std::uint64_t renames[most_rules];  // by the table's rule
    name_counts dropped;
    std::uint64_t managers;  // added
    std::uint64_t objectives;
};

// The rewrite's room: the reader, one block's pairs, and the text on its way out.
struct block_pairs {
    std::size_t count;
    std::uint32_t at[most_pairs][2];  // where each key and value begin in `bytes`
    char bytes[most_pairs * 2 * token_size];
};
struct port_room {
    entity_reader reader;
    block_pairs pairs;
    int file;
    std::uint64_t offset;  // where the next flushed byte goes
    std::size_t used;
    bool write_failed;
    char out[std::size_t{64} * 1024];
};

enum class port_outcome { ported, source_failed, write_failed };

// Reads the source's entities as Q3A reads them, for what the rewrite needs to know first.
port_outcome survey(int file, const lump& text, port_plan& plan, port_room& room,
                    text_builder& why);

// Writes the source's entities, rewritten for the target game by the table, into `room.file` at
// `room.offset`, ended by a NUL, with the blocks the target needs added.
port_outcome rewrite(int file, const lump& text, const port_table& table, const game_row& target,
                     const port_plan& plan, port_counts& counts, port_room& room,
                     text_builder& why);

// The spawn point name that the map script's setautospawn gives each team.
inline constexpr const char* axis_spawn = "Axis spawn";
inline constexpr const char* allied_spawn = "Allied spawn";

}  // namespace lumvert

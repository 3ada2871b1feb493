#pragma once

#include "games/games.hpp"
#include "map/entities.hpp"
#include "map/names.hpp"

#include <cstddef>
#include <cstdint>

namespace lumvert {

// The room for the shaders listed; past it, their flags are still counted.
constexpr std::size_t listed_shaders = 1024;
constexpr std::size_t shown_token = 64;  // of a token the engine refuses

// A shader's flag bits whose meaning differs between the two games.
struct flagged_shader {
    char name[64];  // not ended by a NUL where it fills them
    std::size_t length;
    std::uint32_t surface;
    std::uint32_t content;
};

enum class world_block { found, missing, other };

// What one map's check found, in fixed room: it holds no more for a larger map.
struct findings {
    std::int32_t version;
    game from;
    game target;
    std::uint64_t entities;  // blocks read whole, the world's included

    // Entities the target never spawns in its default game type: classes without a spawn
    // function, by class, and blocks its game-type keys free first.
    name_counts unknown;
    std::uint64_t filtered;

    // What the target stops on.
    world_block world;
    refusal refused;
    std::uint64_t refused_block;  // counted from 1
    std::uint64_t refused_at;     // the block's offset in the lump
    char refused_token[shown_token];
    std::size_t refused_length;
    std::uint64_t crowded_entities;  // more than 64 pairs
    std::uint64_t long_entities;
    std::uint64_t stopping_entities;
    std::uint64_t in_use;  // entities that keep their slot
    std::uint64_t spawn_points;
    std::uint64_t submodels;
    std::uint64_t bad_surfaces;
    std::uint64_t bad_fogs;

    // What the target makes otherwise of what does appear.
    std::uint64_t items;
    std::uint64_t q3a_filtered;  // with a gametype or non-zero notq3a key, which only Q3A reads
    std::uint64_t different[different_thing_count];
    std::uint64_t changed_flags;
    std::uint64_t unlisted_flags;  // of shaders past the room
    std::size_t shaders;
    flagged_shader flagged[listed_shaders];
};

// The reader's room, private to the check.
struct check_workspace {
    entity_reader entities;
    token classname;
};

struct game_choice {
    game from;
    game target;
    bool from_given;
    bool target_given;
};

// Reads the map open as `file`, `size` bytes long, for what the target makes of it; the games
// the command line does not name follow the map's version. False, with why in `why`, where the
// map is damaged or cannot be read.
bool check_map(int file, std::uint64_t size, const game_choice& games, findings& found,
               check_workspace& room, text_builder& why);

// Each rule the target stops loading a map on, in the order the engine meets them: the
// engine's message, and how many things break it (0 where none do).
// The text report tells after the message what the count counts, or where the text was refused.
enum class rule_detail { counted, refused, plain };
struct load_rule {
    const char* (*message)(const findings& found);
    std::uint64_t (*count)(const findings& found);
    rule_detail detail;
    const char* (*counted)(const findings& found);
};
extern const load_rule load_rules[];
extern const std::size_t load_rule_count;

bool loads(const findings& found);
// The headline's number.
std::uint64_t absent_entities(const findings& found);

}  // namespace lumvert

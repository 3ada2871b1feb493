#pragma once

#include <cstddef>
#include <cstdint>

namespace lumvert {

// What each game makes of the same map, read from the engines' own sources and measured on their
// servers: everything about one game is its row.
enum class game { q3a, rtcw_mp, rtcw_sp, et };
constexpr int game_count = 4;

struct name_list {
    const char* const* names;
    std::size_t count;
};

// The game-type keys that free a block before its spawn function, in the game's default game
// type: a non-zero value of each key named, or a `gametype` value without the name given.
struct game_type_filter {
    bool notteam;
    bool notfree;
    bool notsingle;
    bool notq3a;
    const char* gametype;  // null where the game does not read the key
};

struct game_row {
    const char* name;   // "q3a", "rtcw-mp", ...: the command line's and the JSON's
    const char* title;  // "Q3A", "RTCW multiplayer", ...: the text report's
    game default_target;

    // The entity parser, and G_SpawnString's key comparison (Q_stricmp in Q3A, strcmp in the
    // others).
    bool string_in_string;
    bool keys_ignore_case;

    // Spawning: the item list (ET looks its items up ignoring the case of letters), the spawn
    // function list, the classes whose spawn function frees the entity at once, and the class
    // whose spawn function stops the game, with its message.
    name_list items;
    bool items_ignore_case;
    name_list spawns;
    name_list freed_at_once;
    const char* stopping_class;
    const char* stopping_message;
    game_type_filter filter;
    // What its default game type is not, where that drops every item.
    const char* items_note;

    // Limits, with the messages the engine stops with.
    std::size_t entity_chars;  // a block's keys and values, each with its NUL
    const char* entity_chars_message;
    std::uint64_t entity_slots;  // entities in use, less the clients' and the body queue's
    bool spawn_array_unbounded;  // more than 128 spawn points overrun it
    name_list spawn_points;
    std::uint64_t submodels;
    const char* submodels_message;
    std::int32_t last_surface_type;
    std::int32_t first_fog_brush;

    // The lower-case name of each content and surface flag bit, null where it has none.
    const char* const* contents;
    const char* const* surfaces;

    // A port's team play: ET spawns a team only at spawn points that a team_WOLF_objective names,
    // and draws its command map from the world's mapcoordsmins and mapcoordsmaxs.
    bool wolf_objectives;

    // Which of `bot_file_endings` it loads beside the map, as bits, and what follows their names.
    unsigned bot_files;
    const char* bot_files_note;
};

const game_row& row_of(game which);

// Limits every game shares: the key/value pairs of one block (MAX_SPAWN_VARS), and the spawn points
// a server collects.
constexpr std::size_t most_pairs = 64;
constexpr std::uint64_t spawn_array = 128;

// The bot files that may lie beside a map: its name without .bsp, then one of these.
inline constexpr const char* bot_file_endings[] = {".aas", "_b0.aas", "_b1.aas"};
constexpr std::size_t bot_file_count = 3;

// As the engines compare names: only the ASCII letters' case is ignored.
bool same_ignoring_case(const char* a, const char* b);

// Whether the game has a spawn function for the class, item or not.
bool spawns(const game_row& row, const char* classname);
bool is_item(const game_row& row, const char* classname);
bool holds(const name_list& list, const char* classname);
// Q3A's metalsteps is the others' metal under an older name.
bool same_meaning(const char* a, const char* b);

// Classnames that the games spawn as different things: what each makes of one, null where it
// spawns none.
struct spawned_thing {
    const char* classname;
    const char* in[game_count];  // in the order of `game`
};

inline constexpr spawned_thing different_things[] = {
    {"weapon_grenadelauncher",
     {"a grenade launcher", "a hand grenade", "a hand grenade", "a hand grenade"}},
    {"ammo_grenades", {"grenade launcher ammunition", "hand grenades", "hand grenades", nullptr}},
    {"ammo_rockets",
     {"rocket launcher ammunition", "ammunition that no weapon takes", nullptr, nullptr}},
    {"item_armor_body", {"heavy armor", "a flak jacket", "a flak jacket", nullptr}},
    {"item_health_small", {"5 health", "small health", "small health", "a small health pack"}},
    {"item_health", {"25 health", "medium health", "medium health", "a health pack"}},
    {"item_health_large", {"50 health", "large health", "large health", "a mega health pack"}},
    {"team_CTF_redflag",
     {"the red flag", "an objective", "the red flag, not in the campaign", "the red flag"}},
    {"team_CTF_blueflag",
     {"the blue flag", "the blue flag", "the blue flag, not in the campaign", "the blue flag"}},
    {"shooter_rocket",
     {"a rocket shooter", "a rocket shooter", "a panzerfaust shooter",
      "a panzerfaust or bazooka shooter"}},
    {"shooter_grenade",
     {"a grenade launcher shooter", "a hand grenade shooter", "a hand grenade shooter",
      "a hand grenade shooter"}},
    {"target_location",
     {"a location", "a location", "a location", "obsolete, removed with a warning"}},
};
constexpr std::size_t different_thing_count = sizeof different_things / sizeof *different_things;

}  // namespace lumvert

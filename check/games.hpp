#pragma once

#include <cstddef>
#include <cstdint>

namespace lumvert {

// What each game makes of the same map: which classnames it spawns, what its flag bits mean,
// and the limits past which it refuses the map. Read from the engines' own sources.
enum class game { q3a, rtcw_mp, rtcw_sp, et };

// "q3a", "rtcw-mp", "rtcw-sp", "et": the names the command line and the JSON report use.
const char* game_name(game which);
// "Q3A", "RTCW multiplayer", ...: the names the text report uses.
const char* game_title(game which);

// As the engines compare names: only the ASCII letters' case is ignored.
bool same_ignoring_case(const char* a, const char* b);

// The item and spawn tables that give an entity its spawn function; anything else is dropped.
bool spawns(game which, const char* classname);

// The lower-case name of a content or surface flag bit (0 to 31), or null where there is none.
const char* content_meaning(game which, int bit);
const char* surface_meaning(game which, int bit);
bool same_meaning(const char* a, const char* b);

// What the game's loaders and entity parser refuse, with the message the engine stops with.
std::size_t entity_char_limit(game which);
const char* entity_chars_message(game which);
std::uint64_t submodel_limit(game which);
const char* submodels_message(game which);
std::int32_t last_surface_type(game which);
std::int32_t first_fog_brush(game which);

// Classnames that the games spawn as different things: what each makes of one, null where it
// spawns none.
struct spawned_thing {
    const char* classname;
    const char* in[4];  // in the order of `game`
};

inline constexpr spawned_thing different_things[] = {
    {"weapon_grenadelauncher",
     {"a grenade launcher", "a hand grenade", "a hand grenade", "a hand grenade"}},
    {"ammo_grenades", {"grenade launcher ammunition", "hand grenades", "hand grenades", nullptr}},
    {"ammo_rockets",
     {"rocket launcher ammunition", "rockets for the panzerfaust", nullptr, nullptr}},
    {"item_armor_body", {"heavy armor", "a flak jacket", "a flak jacket", nullptr}},
    {"item_health_small", {"5 health", "small health", "small health", "a small health pack"}},
    {"item_health", {"25 health", "medium health", "medium health", "a health pack"}},
    {"item_health_large", {"50 health", "large health", "large health", "a mega health pack"}},
    {"team_CTF_redflag",
     {"the red flag", "an objective, only in CTF and Wolf game types",
      "the red flag, not in the campaign", "the red flag, not in Last Man Standing"}},
    {"team_CTF_blueflag",
     {"the blue flag", "the blue flag, only in CTF and Wolf game types",
      "the blue flag, not in the campaign", "the blue flag, not in Last Man Standing"}},
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

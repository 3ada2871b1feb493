#include "games/games.hpp"

#include "games/classnames.hpp"  // generated from games/lists/*.items and *.spawns

#include <cstring>

namespace lumvert {

namespace {

template <std::size_t count> constexpr name_list list_of(const char* const (&names)[count])
{
    return {names, count};
}

// The bits of each game's surfaceflags.h.
constexpr const char* const q3a_contents[32] = {
    "solid",      nullptr,    nullptr,         "lava",       "slime",      "water",
    "fog",        "notteam1", "notteam2",      "nobotclip",  nullptr,      nullptr,
    nullptr,      nullptr,    nullptr,         "areaportal", "playerclip", "monsterclip",
    "teleporter", "jumppad",  "clusterportal", "donotenter", "botclip",    "mover",
    "origin",     "body",     "corpse",        "detail",     "structural", "translucent",
    "trigger",    "nodrop"};
constexpr const char* const q3a_surfaces[32] = {
    "nodamage", "slick",       "sky",         "ladder",     "noimpact",   "nomarks",    "flesh",
    "nodraw",   "hint",        "skip",        "nolightmap", "pointlight", "metalsteps", "nosteps",
    "nonsolid", "lightfilter", "alphashadow", "nodlight",   "dust",       nullptr,      nullptr,
    nullptr,    nullptr,       nullptr,       nullptr,      nullptr,      nullptr,      nullptr,
    nullptr,    nullptr,       nullptr,       nullptr};

constexpr const char* const rtcw_mp_contents[32] = {"solid",
                                                    nullptr,
                                                    "lightgrid",
                                                    "lava",
                                                    "slime",
                                                    "water",
                                                    "fog",
                                                    "missileclip",
                                                    "item",
                                                    nullptr,
                                                    nullptr,
                                                    nullptr,
                                                    nullptr,
                                                    nullptr,
                                                    "mover",
                                                    "areaportal",
                                                    "playerclip",
                                                    "monsterclip",
                                                    "teleporter",
                                                    "jumppad",
                                                    "clusterportal",
                                                    "donotenter",
                                                    "donotenter_large",
                                                    nullptr,
                                                    "origin",
                                                    "body",
                                                    "corpse",
                                                    "detail",
                                                    "structural",
                                                    "translucent",
                                                    "trigger",
                                                    "nodrop"};
constexpr const char* const rtcw_mp_surfaces[32] = {
    "nodamage",   "slick",   "sky",          "ladder",      "noimpact",    "nomarks",
    "ceramic",    "nodraw",  "hint",         "skip",        "nolightmap",  "pointlight",
    "metal",      "nosteps", "nonsolid",     "lightfilter", "alphashadow", "nodlight",
    "wood",       "grass",   "gravel",       "glass",       "snow",        "roof",
    "rubble",     "carpet",  "monsterslick", "monslick_w",  "monslick_n",  "monslick_e",
    "monslick_s", nullptr};

constexpr const char* const rtcw_sp_contents[32] = {
    "solid",         nullptr,      "lightgrid",        "lava",       "slime",
    "water",         "fog",        "missileclip",      "item",       nullptr,
    nullptr,         nullptr,      "ai_nosight",       "clipshot",   "mover",
    "areaportal",    "playerclip", "monsterclip",      "teleporter", "jumppad",
    "clusterportal", "donotenter", "donotenter_large", nullptr,      "origin",
    "body",          "corpse",     "detail",           "structural", "translucent",
    "trigger",       "nodrop"};
constexpr const char* const rtcw_sp_surfaces[32] = {
    "nodamage",   "slick",   "sky",          "ladder",      "noimpact",    "nomarks",
    "ceramic",    "nodraw",  "hint",         "skip",        "nolightmap",  "pointlight",
    "metal",      "nosteps", "nonsolid",     "lightfilter", "alphashadow", "nodlight",
    "wood",       "grass",   "gravel",       "glass",       "snow",        "roof",
    "rubble",     "carpet",  "monsterslick", "monslick_w",  "monslick_n",  "monslick_e",
    "monslick_s", nullptr};

constexpr const char* const et_contents[32] = {"solid",
                                               nullptr,
                                               "lightgrid",
                                               "lava",
                                               "slime",
                                               "water",
                                               "fog",
                                               "missileclip",
                                               "item",
                                               nullptr,
                                               nullptr,
                                               nullptr,
                                               nullptr,
                                               nullptr,
                                               "mover",
                                               "areaportal",
                                               "playerclip",
                                               "monsterclip",
                                               "teleporter",
                                               "jumppad",
                                               "clusterportal",
                                               "donotenter",
                                               "donotenter_large",
                                               nullptr,
                                               "origin",
                                               "body",
                                               "corpse",
                                               "detail",
                                               "structural",
                                               "translucent",
                                               "trigger",
                                               "nodrop"};
constexpr const char* const et_surfaces[32] = {
    "nodamage",   "slick",   "sky",          "ladder",      "noimpact",    "nomarks",
    "splash",     "nodraw",  "hint",         "skip",        "nolightmap",  "pointlight",
    "metal",      "nosteps", "nonsolid",     "lightfilter", "alphashadow", "nodlight",
    "wood",       "grass",   "gravel",       "glass",       "snow",        "roof",
    "rubble",     "carpet",  "monsterslick", "monslick_w",  "monslick_n",  "monslick_e",
    "monslick_s", "landmine"};

// Every list is sorted by byte value, as the engines compare names.
constexpr const char* q3a_freed[] = {"func_group", "info_null", "light", "misc_model"};
constexpr const char* rtcw_mp_freed[] = {"func_group",     "info_null",          "light",
                                         "lightJunior",    "misc_light_surface", "misc_model",
                                         "target_autosave"};
constexpr const char* rtcw_sp_freed[] = {"func_group",  "info_null",          "light",
                                         "lightJunior", "misc_light_surface", "misc_model"};
constexpr const char* et_freed[] = {"func_debris",
                                    "func_group",
                                    "info_null",
                                    "info_train_spline_control",
                                    "info_train_spline_main",
                                    "light",
                                    "lightJunior",
                                    "misc_light_surface",
                                    "misc_model",
                                    "path_corner_2",
                                    "target_location",
                                    "trigger_concussive_dust"};
constexpr const char* deathmatch_spots[] = {"info_player_deathmatch"};
// RTCW renames info_player_start to info_player_deathmatch as it spawns.
constexpr const char* rtcw_spots[] = {"info_player_deathmatch", "info_player_start"};

// 1022 entities, less 64 clients (128 in RTCW single player) and a body queue of 8.
constexpr game_row rows[game_count] = {
    {"q3a",
     "Q3A",
     game::rtcw_mp,
     false,
     true,
     list_of(q3a_items),
     false,
     list_of(q3a_spawns),
     list_of(q3a_freed),
     nullptr,
     nullptr,
     {false, true, false, true, "ffa"},
     nullptr,
     4096,
     "G_AddSpawnVarToken: MAX_SPAWN_VARS_CHARS",
     950,
     false,
     list_of(deathmatch_spots),
     256,
     "MAX_SUBMODELS exceeded",
     4,
     0,
     q3a_contents,
     q3a_surfaces,
     false,
     1,
     ""},
    // RTCW multiplayer's message names the wrong limit, as the engine prints it. Its game types
    // are all team games.
    {"rtcw-mp",
     "RTCW multiplayer",
     game::q3a,
     false,
     false,
     list_of(rtcw_mp_items),
     false,
     list_of(rtcw_mp_spawns),
     list_of(rtcw_mp_freed),
     "shooter_rocket",
     "Couldn't find item for weapon 18",
     {true, false, false, false, nullptr},
     nullptr,
     2048,
     "G_AddSpawnVarToken: MAX_SPAWN_VARS",
     950,
     true,
     list_of(rtcw_spots),
     512,
     "MAX_SUBMODELS exceeded",
     4,
     0,
     rtcw_mp_contents,
     rtcw_mp_surfaces,
     false,
     6,
     " (AAS version 8)"},
    // Its campaign is game type 2, single player.
    {"rtcw-sp",
     "RTCW single player",
     game::q3a,
     false,
     false,
     list_of(rtcw_sp_items),
     false,
     list_of(rtcw_sp_spawns),
     list_of(rtcw_sp_freed),
     nullptr,
     nullptr,
     {false, true, true, false, nullptr},
     nullptr,
     2048,
     "G_AddSpawnVarToken: MAX_SPAWN_VARS_CHARS",
     886,
     true,
     list_of(rtcw_spots),
     512,
     "MAX_SUBMODELS exceeded",
     4,
     0,
     rtcw_sp_contents,
     rtcw_sp_surfaces,
     false,
     6,
     " (AAS version 8)"},
    // ET adds foliage (5) to the surface types, and takes fog brush -1 for a global fog.
    {"et",
     "ET",
     game::q3a,
     true,
     false,
     list_of(et_items),
     true,
     list_of(et_spawns),
     list_of(et_freed),
     nullptr,
     nullptr,
     {true, false, false, false, nullptr},
     "items: none in Last Man Standing (g_gametype 5)",
     2048,
     "G_AddSpawnVarToken: MAX_SPAWN_VARS_CHARS",
     950,
     true,
     list_of(deathmatch_spots),
     512,
     "CMod_LoadSubmodels: MAX_SUBMODELS exceeded",
     5,
     -1,
     et_contents,
     et_surfaces,
     true,
     0,
     ""},
};

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool holds_ignoring_case(const name_list& list, const char* classname)
{
    for (std::size_t i = 0; i < list.count; ++i) {
        if (same_ignoring_case(list.names[i], classname)) return true;
    }
    return false;
}

}  // namespace

const game_row& row_of(game which) { return rows[static_cast<int>(which)]; }

bool same_ignoring_case(const char* a, const char* b)
{
    while (*a != '\0' && lower(*a) == lower(*b)) {
        ++a;
        ++b;
    }
    return lower(*a) == lower(*b);
}

bool holds(const name_list& list, const char* classname)
{
    std::size_t low = 0;
    std::size_t high = list.count;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        const int order = std::strcmp(list.names[middle], classname);
        if (order == 0) return true;
        if (order < 0) {
            low = middle + 1;
        }
        else {
            high = middle;
        }
    }
    return false;
}

bool is_item(const game_row& row, const char* classname)
{
    return row.items_ignore_case ? holds_ignoring_case(row.items, classname)
                                 : holds(row.items, classname);
}

bool spawns(const game_row& row, const char* classname)
{
    return is_item(row, classname) || holds(row.spawns, classname);
}

bool same_meaning(const char* a, const char* b)
{
    if (a == nullptr || b == nullptr) return a == b;
    if (std::strcmp(a, "metalsteps") == 0) a = "metal";
    if (std::strcmp(b, "metalsteps") == 0) b = "metal";
    return std::strcmp(a, b) == 0;
}

}  // namespace lumvert

#include "check/games.hpp"

#include "check/classnames.hpp"  // generated from check/games/*.items and *.spawns

#include <cstring>

namespace lumvert {

namespace {

constexpr int game_count = 4;

int index_of(game which) { return static_cast<int>(which); }

// The bits of each game's surfaceflags.h, in the order of `game`.
using bit_names = const char* [32][game_count];

constexpr bit_names contents = {
    {"solid", "solid", "solid", "solid"},
    {nullptr, nullptr, nullptr, nullptr},
    {nullptr, "lightgrid", "lightgrid", "lightgrid"},
    {"lava", "lava", "lava", "lava"},
    {"slime", "slime", "slime", "slime"},
    {"water", "water", "water", "water"},
    {"fog", "fog", "fog", "fog"},
    {"notteam1", "missileclip", "missileclip", "missileclip"},
    {"notteam2", "item", "item", "item"},
    {"nobotclip", nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr},
    {nullptr, nullptr, "ai_nosight", nullptr},
    {nullptr, nullptr, "clipshot", nullptr},
    {nullptr, "mover", "mover", "mover"},
    {"areaportal", "areaportal", "areaportal", "areaportal"},
    {"playerclip", "playerclip", "playerclip", "playerclip"},
    {"monsterclip", "monsterclip", "monsterclip", "monsterclip"},
    {"teleporter", "teleporter", "teleporter", "teleporter"},
    {"jumppad", "jumppad", "jumppad", "jumppad"},
    {"clusterportal", "clusterportal", "clusterportal", "clusterportal"},
    {"donotenter", "donotenter", "donotenter", "donotenter"},
    {"botclip", "donotenter_large", "donotenter_large", "donotenter_large"},
    {"mover", nullptr, nullptr, nullptr},
    {"origin", "origin", "origin", "origin"},
    {"body", "body", "body", "body"},
    {"corpse", "corpse", "corpse", "corpse"},
    {"detail", "detail", "detail", "detail"},
    {"structural", "structural", "structural", "structural"},
    {"translucent", "translucent", "translucent", "translucent"},
    {"trigger", "trigger", "trigger", "trigger"},
    {"nodrop", "nodrop", "nodrop", "nodrop"},
};

constexpr bit_names surfaces = {
    {"nodamage", "nodamage", "nodamage", "nodamage"},
    {"slick", "slick", "slick", "slick"},
    {"sky", "sky", "sky", "sky"},
    {"ladder", "ladder", "ladder", "ladder"},
    {"noimpact", "noimpact", "noimpact", "noimpact"},
    {"nomarks", "nomarks", "nomarks", "nomarks"},
    {"flesh", "ceramic", "ceramic", "splash"},
    {"nodraw", "nodraw", "nodraw", "nodraw"},
    {"hint", "hint", "hint", "hint"},
    {"skip", "skip", "skip", "skip"},
    {"nolightmap", "nolightmap", "nolightmap", "nolightmap"},
    {"pointlight", "pointlight", "pointlight", "pointlight"},
    {"metalsteps", "metal", "metal", "metal"},
    {"nosteps", "nosteps", "nosteps", "nosteps"},
    {"nonsolid", "nonsolid", "nonsolid", "nonsolid"},
    {"lightfilter", "lightfilter", "lightfilter", "lightfilter"},
    {"alphashadow", "alphashadow", "alphashadow", "alphashadow"},
    {"nodlight", "nodlight", "nodlight", "nodlight"},
    {"dust", "wood", "wood", "wood"},
    {nullptr, "grass", "grass", "grass"},
    {nullptr, "gravel", "gravel", "gravel"},
    {nullptr, "glass", "glass", "glass"},
    {nullptr, "snow", "snow", "snow"},
    {nullptr, "roof", "roof", "roof"},
    {nullptr, "rubble", "rubble", "rubble"},
    {nullptr, "carpet", "carpet", "carpet"},
    {nullptr, "monsterslick", "monsterslick", "monsterslick"},
    {nullptr, "monslick_w", "monslick_w", "monslick_w"},
    {nullptr, "monslick_n", "monslick_n", "monslick_n"},
    {nullptr, "monslick_e", "monslick_e", "monslick_e"},
    {nullptr, "monslick_s", "monslick_s", "monslick_s"},
    {nullptr, nullptr, nullptr, "landmine"},
};

struct name_list {
    const char* const* names;
    std::size_t count;
};

template <std::size_t count> constexpr name_list list_of(const char* const (&names)[count])
{
    return {names, count};
}

constexpr name_list items[game_count] = {list_of(q3a_items), list_of(rtcw_mp_items),
                                         list_of(rtcw_sp_items), list_of(et_items)};
constexpr name_list spawn_functions[game_count] = {list_of(q3a_spawns), list_of(rtcw_mp_spawns),
                                                   list_of(rtcw_sp_spawns), list_of(et_spawns)};

// The lists are sorted by byte value, as the engines compare.
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

// ET looks its items up ignoring the case of ASCII letters.
bool holds_ignoring_case(const name_list& list, const char* classname)
{
    for (std::size_t i = 0; i < list.count; ++i) {
        if (same_ignoring_case(list.names[i], classname)) return true;
    }
    return false;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool same_ignoring_case(const char* a, const char* b)
{
    while (*a != '\0' && lower(*a) == lower(*b)) {
        ++a;
        ++b;
    }
    return lower(*a) == lower(*b);
}

const char* game_name(game which)
{
    constexpr const char* names[game_count] = {"q3a", "rtcw-mp", "rtcw-sp", "et"};
    return names[index_of(which)];
}

const char* game_title(game which)
{
    constexpr const char* titles[game_count] = {"Q3A", "RTCW multiplayer", "RTCW single player",
                                                "ET"};
    return titles[index_of(which)];
}

bool spawns(game which, const char* classname)
{
    const name_list& item_list = items[index_of(which)];
    return (which == game::et ? holds_ignoring_case(item_list, classname)
                              : holds(item_list, classname)) ||
           holds(spawn_functions[index_of(which)], classname);
}

const char* content_meaning(game which, int bit) { return contents[bit][index_of(which)]; }
const char* surface_meaning(game which, int bit) { return surfaces[bit][index_of(which)]; }

// Q3A's metalsteps is the others' metal under an older name.
bool same_meaning(const char* a, const char* b)
{
    if (a == nullptr || b == nullptr) return a == b;
    if (std::strcmp(a, "metalsteps") == 0) a = "metal";
    if (std::strcmp(b, "metalsteps") == 0) b = "metal";
    return std::strcmp(a, b) == 0;
}

std::size_t entity_char_limit(game which) { return which == game::q3a ? 4096 : 2048; }

// RTCW multiplayer's message names the wrong limit, as the engine prints it.
const char* entity_chars_message(game which)
{
    return which == game::rtcw_mp ? "G_AddSpawnVarToken: MAX_SPAWN_VARS"
                                  : "G_AddSpawnVarToken: MAX_SPAWN_VARS_CHARS";
}

std::uint64_t submodel_limit(game which) { return which == game::q3a ? 256 : 512; }

const char* submodels_message(game which)
{
    return which == game::et ? "CMod_LoadSubmodels: MAX_SUBMODELS exceeded"
                             : "MAX_SUBMODELS exceeded";
}

// ET adds foliage (5) to planar, patch, triangle soup and flare (1 to 4).
std::int32_t last_surface_type(game which) { return which == game::et ? 5 : 4; }

// ET takes brush -1 for a global fog.
std::int32_t first_fog_brush(game which) { return which == game::et ? -1 : 0; }

}  // namespace lumvert

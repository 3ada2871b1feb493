#include "check/map_check.hpp"

#include <cstdlib>
#include <cstring>

namespace lumvert {

namespace {

// What one block says, as the target reads its keys.
struct block_keys {
    std::size_t chars;
    std::size_t pairs;
    bool world;  // the first "classname" key says worldspawn
    bool world_seen;
    bool filtered;
    bool q3a_filtered;
    // Which game-type keys were met already: only the first of each counts.
    unsigned seen;
};

bool cannot_read(text_builder& why)
{
    append(why, "cannot be read");
    return false;
}

bool key_is(const game_row& row, const token& key, const char* name)
{
    return row.keys_ignore_case ? same_ignoring_case(key.text, name)
                                : std::strcmp(key.text, name) == 0;
}

// Takes one pair into what the block says, as G_SpawnString and G_ParseField read it: the first
// key of a name for the world's classname and the game-type keys, the last for the classname.
void take_pair(const game_row& row, const token& key, const token& value, block_keys& keys,
               token& classname)
{
    keys.chars += key.length + 1 + value.length + 1;
    ++keys.pairs;
    if (same_ignoring_case(key.text, "classname")) std::memcpy(&classname, &value, sizeof value);
    if (!keys.world_seen && key_is(row, key, "classname")) {
        keys.world_seen = true;
        keys.world = same_ignoring_case(value.text, "worldspawn");
    }
    const bool set = std::atoi(value.text) != 0;
    const game_type_filter& filter = row.filter;
    const struct {
        const char* name;
        bool read;
        bool frees;
    } filters[] = {
        {"notteam", filter.notteam, set},
        {"notfree", filter.notfree, set},
        {"notsingle", filter.notsingle, set},
        {"notq3a", filter.notq3a, set},
        {"gametype", filter.gametype != nullptr,
         filter.gametype != nullptr && std::strstr(value.text, filter.gametype) == nullptr}};
    for (unsigned i = 0; i < sizeof filters / sizeof *filters; ++i) {
        if ((keys.seen >> i & 1U) != 0 || !filters[i].read || !key_is(row, key, filters[i].name)) {
            continue;
        }
        keys.seen |= 1U << i;
        keys.filtered = keys.filtered || filters[i].frees;
    }
    // Only Q3A reads these, in any case.
    keys.q3a_filtered = keys.q3a_filtered || same_ignoring_case(key.text, "gametype") ||
                        (same_ignoring_case(key.text, "notq3a") && set);
}

// What the target makes of a block after the world, once it is read whole.
void take_block(findings& found, check_workspace& room, const block_keys& keys)
{
    const game_row& row = row_of(found.target);
    const token& classname = room.classname;
    if (keys.filtered) {
        ++found.filtered;
        return;
    }
    found.q3a_filtered += keys.q3a_filtered ? 1 : 0;
    for (std::size_t i = 0; i < different_thing_count; ++i) {
        if (std::strcmp(classname.text, different_things[i].classname) == 0) ++found.different[i];
    }
    // A world that is not first stops the map before; it is no entity that fails to appear.
    if (found.world != world_block::found && std::strcmp(classname.text, "worldspawn") == 0) {
        return;
    }
    if (!spawns(row, classname.text)) {
        count_name(found.unknown, classname.text, classname.length);
        return;
    }
    if (row.stopping_class != nullptr && std::strcmp(classname.text, row.stopping_class) == 0) {
        ++found.stopping_entities;
    }
    found.items += is_item(row, classname.text) ? 1 : 0;
    if (holds(row.freed_at_once, classname.text)) return;
    ++found.in_use;
    found.spawn_points += holds(row.spawn_points, classname.text) ? 1 : 0;
}

// Reads the blocks as the target's parser does, up to the end or the first it refuses.
bool read_entities(int file, const lump& text, findings& found, check_workspace& room)
{
    const game_row& row = row_of(found.target);
    entity_reader& reader = room.entities;
    start_entities(reader, file, text, row.string_in_string);
    found.world = world_block::missing;
    for (;;) {
        block_keys keys{};
        room.classname.length = 0;
        room.classname.text[0] = '\0';
        refusal refused = refusal::none;
        const block_outcome outcome =
            read_entity(reader, refused, [&](const token& key, const token& value) {
                take_pair(row, key, value, keys, room.classname);
            });
        if (outcome == block_outcome::failed) return false;
        if (outcome == block_outcome::end) return true;
        if (outcome == block_outcome::refused) {
            found.refused = refused;
            found.refused_block = reader.blocks + 1;
            found.refused_at = reader.block_start;
            found.refused_length =
                reader.key.length < shown_token ? reader.key.length : shown_token;
            std::memcpy(found.refused_token, reader.key.text, found.refused_length);
            return true;
        }
        ++found.entities;
        found.long_entities += keys.chars > row.entity_chars ? 1 : 0;
        found.crowded_entities += keys.pairs > most_pairs ? 1 : 0;
        if (found.entities == 1) {
            found.world = keys.world ? world_block::found : world_block::other;
        }
        else {
            take_block(found, room, keys);
        }
    }
}

bool read_flags(int file, const lump& shaders, findings& found, lump_block& block)
{
    const game_row& from = row_of(found.from);
    const game_row& target = row_of(found.target);
    return each_record(
        file, shaders, lump_kinds[shaders_lump].record, block, [&](const char* record) {
            std::uint32_t changed[2] = {0, 0};
            std::uint64_t count = 0;
            for (int kind = 0; kind < 2; ++kind) {
                const bool content = kind == 1;
                const auto flags =
                    static_cast<std::uint32_t>(little_endian(record + (content ? 68 : 64)));
                for (int bit = 0; bit < 32; ++bit) {
                    if ((flags >> bit & 1U) == 0) continue;
                    const char* was = content ? from.contents[bit] : from.surfaces[bit];
                    const char* is = content ? target.contents[bit] : target.surfaces[bit];
                    if (same_meaning(was, is)) continue;
                    changed[kind] |= std::uint32_t{1} << bit;
                    ++count;
                }
            }
            if (count == 0) return;
            found.changed_flags += count;
            if (found.shaders == listed_shaders) {
                found.unlisted_flags += count;
                return;
            }
            flagged_shader& shader = found.flagged[found.shaders++];
            const auto end =
                static_cast<const char*>(std::memchr(record, '\0', sizeof shader.name));
            shader.length =
                end != nullptr ? static_cast<std::size_t>(end - record) : sizeof shader.name;
            std::memcpy(shader.name, record, shader.length);
            shader.surface = changed[0];
            shader.content = changed[1];
        });
}

bool read_surfaces(int file, const lump& surfaces, findings& found, lump_block& block)
{
    const std::int32_t last_type = row_of(found.target).last_surface_type;
    return each_record(file, surfaces, lump_kinds[surfaces_lump].record, block,
                       [&](const char* record) {
                           const std::int32_t type = little_endian(record + 8);
                           if (type < 1 || type > last_type) ++found.bad_surfaces;
                       });
}

bool read_fogs(int file, const bsp_header& header, findings& found, lump_block& block)
{
    const std::int32_t first_brush = row_of(found.target).first_fog_brush;
    const std::uint64_t brushes =
        header.lumps[brushes_lump].length / lump_kinds[brushes_lump].record;
    return each_record(file, header.lumps[fogs_lump], lump_kinds[fogs_lump].record, block,
                       [&](const char* record) {
                           const std::int32_t brush = little_endian(record + 64);
                           if (brush < first_brush ||
                               (brush >= 0 && static_cast<std::uint64_t>(brush) >= brushes)) {
                               ++found.bad_fogs;
                           }
                       });
}

std::uint64_t past(std::uint64_t count, std::uint64_t limit) { return count > limit ? count : 0; }

}  // namespace

bool check_map(int file, std::uint64_t size, const game_choice& games, findings& found,
               check_workspace& room, text_builder& why)
{
    std::memset(&found, 0, sizeof found);
    bsp_header header{};
    if (!read_header(file, size, header, why)) return false;
    found.version = header.version;
    found.from = games.from_given                ? games.from
                 : header.version == version_q3a ? game::q3a
                                                 : game::rtcw_mp;
    found.target = games.target_given ? games.target : row_of(found.from).default_target;
    found.submodels = header.lumps[models_lump].length / lump_kinds[models_lump].record;
    lump_block& block = room.entities.block;
    if (!read_entities(file, header.lumps[entities_lump], found, room)) return cannot_read(why);
    if (!read_flags(file, header.lumps[shaders_lump], found, block)) return cannot_read(why);
    if (!read_surfaces(file, header.lumps[surfaces_lump], found, block)) return cannot_read(why);
    if (!read_fogs(file, header, found, block)) return cannot_read(why);
    return true;
}

const load_rule load_rules[] = {
    {[](const findings& found) { return row_of(found.target).submodels_message; },
     [](const findings& found) { return past(found.submodels, row_of(found.target).submodels); },
     rule_detail::counted, [](const findings&) { return "submodels"; }},
    {[](const findings&) { return "Bad surfaceType"; },
     [](const findings& found) { return found.bad_surfaces; }, rule_detail::counted,
     [](const findings&) { return "surfaces"; }},
    {[](const findings&) { return "fog brushNumber out of range"; },
     [](const findings& found) { return found.bad_fogs; }, rule_detail::counted,
     [](const findings&) { return "fogs"; }},
    {[](const findings&) { return "SpawnEntities: no entities"; },
     [](const findings& found) -> std::uint64_t {
         return found.world == world_block::missing && found.refused == refusal::none ? 1 : 0;
     },
     rule_detail::plain, nullptr},
    {[](const findings&) { return "SP_worldspawn: The first entity isn't 'worldspawn'"; },
     [](const findings& found) -> std::uint64_t {
         return found.world == world_block::other ? 1 : 0;
     },
     rule_detail::plain, nullptr},
    {[](const findings& found) { return refusal_message(found.refused); },
     [](const findings& found) -> std::uint64_t { return found.refused != refusal::none ? 1 : 0; },
     rule_detail::refused, nullptr},
    {[](const findings&) { return "G_ParseSpawnVars: MAX_SPAWN_VARS"; },
     [](const findings& found) { return found.crowded_entities; }, rule_detail::counted,
     [](const findings&) { return "entities with more than 64 pairs"; }},
    {[](const findings& found) { return row_of(found.target).entity_chars_message; },
     [](const findings& found) { return found.long_entities; }, rule_detail::counted,
     [](const findings&) { return "entities too long"; }},
    {[](const findings& found) { return row_of(found.target).stopping_message; },
     [](const findings& found) { return found.stopping_entities; }, rule_detail::counted,
     [](const findings& found) { return row_of(found.target).stopping_class; }},
    {[](const findings&) { return "G_Spawn: no free entities"; },
     [](const findings& found) { return past(found.in_use, row_of(found.target).entity_slots); },
     rule_detail::counted, [](const findings&) { return "entities in use"; }},
    {[](const findings&) { return "more than 128 spawn points: the server may crash"; },
     [](const findings& found) {
         return row_of(found.target).spawn_array_unbounded ? past(found.spawn_points, spawn_array)
                                                           : 0;
     },
     rule_detail::counted, [](const findings&) { return "spawn points"; }},
};
const std::size_t load_rule_count = sizeof load_rules / sizeof *load_rules;

bool loads(const findings& found)
{
    for (std::size_t i = 0; i < load_rule_count; ++i) {
        if (load_rules[i].count(found) != 0) return false;
    }
    return true;
}

std::uint64_t absent_entities(const findings& found)
{
    return found.unknown.total + found.filtered;
}

}  // namespace lumvert

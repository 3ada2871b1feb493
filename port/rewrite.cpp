#include "port/rewrite.hpp"

#include <cstdlib>
#include <cstring>

namespace lumvert {

namespace {

const char* key_of(const block_pairs& pairs, std::size_t i) { return pairs.bytes + pairs.at[i][0]; }
const char* value_of(const block_pairs& pairs, std::size_t i)
{
    return pairs.bytes + pairs.at[i][1];
}

// The source is Q3A's: it reads the first key of a name, in any case.
const char* first_value(const block_pairs& pairs, const char* key)
{
    for (std::size_t i = 0; i < pairs.count; ++i) {
        if (same_ignoring_case(key_of(pairs, i), key)) return value_of(pairs, i);
    }
    return nullptr;
}

// Any other block's class is its last "classname" key's, in any case.
const char* classname_of(const block_pairs& pairs)
{
    const char* classname = "";
    for (std::size_t i = 0; i < pairs.count; ++i) {
        if (same_ignoring_case(key_of(pairs, i), "classname")) classname = value_of(pairs, i);
    }
    return classname;
}

// The game-type keys that Q3A reads, and that the target does not: they go.
bool is_game_type_key(const char* key)
{
    for (const char* name : {"gametype", "notfree", "notteam", "notsingle", "notq3a", "notta"}) {
        if (same_ignoring_case(key, name)) return true;
    }
    return false;
}

// Whether Q3A frees the block in a team game: the target's games are all team games.
bool freed_in_team_games(const block_pairs& pairs)
{
    for (const char* key : {"notteam", "notq3a"}) {
        const char* value = first_value(pairs, key);
        if (value != nullptr && std::atoi(value) != 0) return true;
    }
    const char* gametype = first_value(pairs, "gametype");
    return gametype != nullptr && std::strstr(gametype, "team") == nullptr &&
           std::strstr(gametype, "ctf") == nullptr;
}

void say_where(text_builder& why, const entity_reader& reader, std::uint64_t block)
{
    append(why, " (entity block ");
    append(why, block);
    append(why, ", byte ");
    append(why, reader.block_start);
    append(why, ")");
}

// Reads the next block's pairs into the room. The end of the text, or why the source fails.
port_outcome read_pairs(port_room& room, bool& read, text_builder& why)
{
    block_pairs& pairs = room.pairs;
    pairs.count = 0;
    std::size_t used = 0;
    bool crowded = false;
    refusal refused = refusal::none;
    const block_outcome outcome =
        read_entity(room.reader, refused, [&](const token& key, const token& value) {
            if (pairs.count == most_pairs) {
                crowded = true;
                return;
            }
            for (int i = 0; i < 2; ++i) {
                const token& word = i == 0 ? key : value;
                pairs.at[pairs.count][i] = static_cast<std::uint32_t>(used);
                std::memcpy(pairs.bytes + used, word.text, word.length + 1);
                used += word.length + 1;
            }
            ++pairs.count;
        });
    read = outcome == block_outcome::read;
    if (outcome == block_outcome::failed) append(why, "cannot be read");
    if (outcome == block_outcome::refused) {
        append(why, "Q3A refuses its entity text: ");
        append(why, refusal_message(refused));
        if (refused == refusal::found_when_expecting) {
            const token& found = room.reader.key;
            append(why, shown_bytes{found.text, found.length < 40 ? found.length : 40});
            append(why, found_after);
        }
        say_where(why, room.reader, room.reader.blocks + 1);
    }
    if (crowded) {
        append(why, "an entity has more than 64 keys, which no game loads");
        say_where(why, room.reader, room.reader.blocks);
    }
    return outcome == block_outcome::failed || outcome == block_outcome::refused || crowded
               ? port_outcome::source_failed
               : port_outcome::ported;
}

// The first block must be the world: Q3A reads its first "classname" key, in any case.
bool is_world(const block_pairs& pairs, text_builder& why)
{
    const char* classname = first_value(pairs, "classname");
    if (classname != nullptr && same_ignoring_case(classname, "worldspawn")) return true;
    append(why, "its first entity is not the world, which no game loads");
    return false;
}

void take_spawn(team_spawns& team, const block_pairs& pairs)
{
    if (team.count++ > 0) return;
    const char* origin = first_value(pairs, "origin");
    text_builder text = start_text(team.origin, sizeof team.origin);
    append(text, origin != nullptr ? origin : "0 0 0");
}

void put(port_room& room, const char* bytes, std::size_t length)
{
    while (length > 0) {
        if (room.used == sizeof room.out) {
            room.write_failed =
                room.write_failed || !write_at(room.file, room.offset, room.out, room.used);
            room.offset += room.used;
            room.used = 0;
        }
        const std::size_t room_left = sizeof room.out - room.used;
        const std::size_t count = length < room_left ? length : room_left;
        std::memcpy(room.out + room.used, bytes, count);
        room.used += count;
        bytes += count;
        length -= count;
    }
}

void put(port_room& room, const char* text) { put(room, text, std::strlen(text)); }

// A token as every engine reads it back: in quotes, unless it holds a quote, which only a token
// without quotes, and so without white space, can.
void put_token(port_room& room, const char* text)
{
    const bool quoted = std::strchr(text, '"') == nullptr;
    if (quoted) put(room, "\"");
    put(room, text);
    if (quoted) put(room, "\"");
}

void put_pair(port_room& room, const char* key, const char* value)
{
    put_token(room, key);
    put(room, " ");
    put_token(room, value);
    put(room, "\n");
}

void put_number_pair(port_room& room, const char* key, std::int64_t number)
{
    char digits[24];
    text_builder text = start_text(digits, sizeof digits);
    append(text, number);
    put_pair(room, key, digits);
}

// The world as it was, its class said once, with ET's command map where the map has none.
void put_world(port_room& room, const game_row& target, const port_plan& plan)
{
    const block_pairs& pairs = room.pairs;
    put(room, "{\n");
    put_pair(room, "classname", "worldspawn");
    for (std::size_t i = 0; i < pairs.count; ++i) {
        const char* key = key_of(pairs, i);
        if (!same_ignoring_case(key, "classname") && !is_game_type_key(key)) {
            put_pair(room, key, value_of(pairs, i));
        }
    }
    if (target.wolf_objectives && plan.has_bounds &&
        first_value(pairs, "mapcoordsmins") == nullptr) {
        char corner[48];
        for (int i = 0; i < 2; ++i) {
            // mapcoordsmins is the top left of the command map, mapcoordsmaxs the bottom right.
            text_builder text = start_text(corner, sizeof corner);
            append(text, i == 0 ? plan.mins[0] : plan.maxs[0]);
            append(text, " ");
            append(text, i == 0 ? plan.maxs[1] : plan.mins[1]);
            put_pair(room, i == 0 ? "mapcoordsmins" : "mapcoordsmaxs", corner);
        }
    }
    put(room, "}\n");
}

bool is_team_spawn(const char* classname)
{
    return std::strcmp(classname, "team_CTF_redspawn") == 0 ||
           std::strcmp(classname, "team_CTF_bluespawn") == 0;
}

// A block after the world: its class said once, the game-type keys gone, the table's keys set
// and its spawnflags bits set; every other key kept, in its order.
void put_entity(port_room& room, const port_table& table, const char* source_class,
                const char* classname)
{
    const block_pairs& pairs = room.pairs;
    std::uint32_t bits = is_team_spawn(classname) ? 2 : 0;
    bool set_done[most_rules] = {};
    for (std::size_t r = 0; r < table.rules; ++r) {
        const table_rule& rule = table.rule[r];
        if (rule.kind == rule_kind::flags && std::strcmp(rule.from, source_class) == 0) {
            bits |= rule.bits;
        }
    }
    bool flags_done = bits == 0;
    put(room, "{\n");
    put_pair(room, "classname", classname);
    for (std::size_t i = 0; i < pairs.count; ++i) {
        const char* key = key_of(pairs, i);
        const char* value = value_of(pairs, i);
        if (same_ignoring_case(key, "classname") || is_game_type_key(key)) continue;
        if (!flags_done && std::strcmp(key, "spawnflags") == 0) {
            put_number_pair(room, key, std::int64_t{std::atoi(value)} | std::int64_t{bits});
            flags_done = true;
            continue;
        }
        for (std::size_t r = 0; r < table.rules; ++r) {
            const table_rule& rule = table.rule[r];
            if (rule.kind == rule_kind::set && !set_done[r] &&
                std::strcmp(rule.from, source_class) == 0 && std::strcmp(rule.to, key) == 0) {
                value = rule.value;
                set_done[r] = true;
            }
        }
        put_pair(room, key, value);
    }
    for (std::size_t r = 0; r < table.rules; ++r) {
        const table_rule& rule = table.rule[r];
        if (rule.kind == rule_kind::set && !set_done[r] &&
            std::strcmp(rule.from, source_class) == 0) {
            put_pair(room, rule.to, rule.value);
        }
    }
    if (!flags_done) put_number_pair(room, "spawnflags", bits);
    put(room, "}\n");
}

void put_objective(port_room& room, const team_spawns& team, int flags, const char* name)
{
    put(room, "{\n");
    put_pair(room, "classname", "team_WOLF_objective");
    put_number_pair(room, "spawnflags", flags);
    put_pair(room, "description", name);
    put_pair(room, "origin", team.origin);
    put(room, "}\n");
}

void start(port_room& room, int file, const lump& text)
{
    start_entities(room.reader, file, text, false);
}

}  // namespace

port_outcome survey(int file, const lump& text, port_plan& plan, port_room& room, text_builder& why)
{
    start(room, file, text);
    for (std::uint64_t block = 0;; ++block) {
        bool read = false;
        if (read_pairs(room, read, why) != port_outcome::ported) return port_outcome::source_failed;
        if (!read) break;
        const block_pairs& pairs = room.pairs;
        if (block == 0) {
            if (!is_world(pairs, why)) return port_outcome::source_failed;
            continue;
        }
        if (freed_in_team_games(pairs)) continue;
        const char* classname = classname_of(pairs);
        if (std::strcmp(classname, "team_CTF_redspawn") == 0 ||
            std::strcmp(classname, "team_CTF_redplayer") == 0) {
            take_spawn(plan.red, pairs);
        }
        if (std::strcmp(classname, "team_CTF_bluespawn") == 0 ||
            std::strcmp(classname, "team_CTF_blueplayer") == 0) {
            take_spawn(plan.blue, pairs);
        }
        plan.has_manager = plan.has_manager || std::strcmp(classname, "script_multiplayer") == 0;
    }
    if (room.reader.blocks == 0) {
        append(why, "it has no entities, which no game loads");
        return port_outcome::source_failed;
    }
    return port_outcome::ported;
}

port_outcome rewrite(int file, const lump& text, const port_table& table, const game_row& target,
                     const port_plan& plan, port_counts& counts, port_room& room, text_builder& why)
{
    start(room, file, text);
    room.used = 0;
    room.write_failed = false;
    std::uint64_t spawn_points = 0;
    for (;;) {
        bool read = false;
        if (read_pairs(room, read, why) != port_outcome::ported) return port_outcome::source_failed;
        if (!read) break;
        if (counts.in++ == 0) {
            put_world(room, target, plan);
            ++counts.out;
            continue;
        }
        const char* source_class = classname_of(room.pairs);
        const table_rule* renamed = rule_for(table, rule_kind::rename, source_class);
        const char* classname = renamed != nullptr ? renamed->to : source_class;
        const bool spawn_point = holds(target.spawn_points, classname);
        const bool stops =
            target.stopping_class != nullptr && std::strcmp(classname, target.stopping_class) == 0;
        if (freed_in_team_games(room.pairs) || rule_for(table, rule_kind::drop, source_class) ||
            !spawns(target, classname) || stops || (spawn_point && spawn_points == spawn_array)) {
            count_name(counts.dropped, source_class, std::strlen(source_class));
            continue;
        }
        spawn_points += spawn_point ? 1 : 0;
        if (renamed != nullptr) {
            ++counts.renamed;
            ++counts.renames[static_cast<std::size_t>(renamed - table.rule)];
        }
        put_entity(room, table, source_class, classname);
        ++counts.out;
    }
    // Before the script_multiplayer, whose script runs as it spawns.
    if (target.wolf_objectives) {
        // Axis is spawnflags 1 and red, Allies 2 and blue.
        if (plan.red.count > 0) put_objective(room, plan.red, 1, axis_spawn);
        if (plan.blue.count > 0) put_objective(room, plan.blue, 2, allied_spawn);
        counts.objectives = (plan.red.count > 0 ? 1 : 0) + (plan.blue.count > 0 ? 1 : 0);
    }
    if (!plan.has_manager) {
        put(room, "{\n");
        put_pair(room, "classname", "script_multiplayer");
        put_pair(room, "scriptname", "game_manager");
        put(room, "}\n");
        counts.managers = 1;
    }
    counts.out += counts.managers + counts.objectives;
    put(room, "", 1);
    room.write_failed = room.write_failed || !write_at(room.file, room.offset, room.out, room.used);
    room.offset += room.used;
    return room.write_failed ? port_outcome::write_failed : port_outcome::ported;
}

}  // namespace lumvert

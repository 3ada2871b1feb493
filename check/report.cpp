#include "check/report.hpp"

#include "map/json.hpp"
#include "map/text.hpp"

#include <cstring>

namespace lumvert {

namespace {

void out(const char* text) { put(stdout, text); }
void out(std::uint64_t number) { put(stdout, number); }
void out(shown_bytes shown) { put(stdout, shown); }

void out_json_bytes(shown_bytes shown) { put_json_bytes(stdout, shown); }
void out_json(shown_bytes shown) { put_json(stdout, shown); }
void out_json(const char* text) { put_json(stdout, text); }
void out_json_name(const char* name) { put_json_name(stdout, name); }

// A field's name, after a comma.
void out_name(const char* name)
{
    out(",\"");
    out(name);
    out("\":");
}

void out_field(const char* name, std::uint64_t number)
{
    out_name(name);
    out(number);
}

void out_field(const char* name, bool holds)
{
    out_name(name);
    out(holds ? "true" : "false");
}

shown_bytes refused_token(const findings& found)
{
    return {found.refused_token, found.refused_length};
}

// Calls `take` with each changed bit of each listed shader: surface bits first.
template <typename taker> void each_changed_flag(const findings& found, taker take)
{
    for (std::size_t i = 0; i < found.shaders; ++i) {
        const flagged_shader& shader = found.flagged[i];
        for (int kind = 0; kind < 2; ++kind) {
            const bool content = kind == 1;
            const std::uint32_t bits = content ? shader.content : shader.surface;
            for (int bit = 0; bit < 32; ++bit) {
                if ((bits >> bit & 1U) != 0) take(shader, content, bit);
            }
        }
    }
}

// Whether the rule's message names the token the engine found, between its two pieces.
bool names_token(const findings& found, const load_rule& rule)
{
    return rule.detail == rule_detail::refused && found.refused == refusal::found_when_expecting;
}

const char* meaning(game which, bool content, int bit)
{
    const game_row& row = row_of(which);
    return content ? row.contents[bit] : row.surfaces[bit];
}

void report_json(const char* map, const findings& found)
{
    out("{\"map\":");
    out_json_name(map);
    out_field("version", static_cast<std::uint64_t>(found.version));
    out_name("from");
    out_json(row_of(found.from).name);
    out_name("for");
    out_json(row_of(found.target).name);
    out_field("loads", loads(found));
    out_name("load_errors");
    const char* separator = "[";
    for (std::size_t i = 0; i < load_rule_count; ++i) {
        const load_rule& rule = load_rules[i];
        if (rule.count(found) == 0) continue;
        out(separator);
        separator = ",";
        out("\"");
        out_json_bytes(shown_bytes{rule.message(found), std::strlen(rule.message(found))});
        if (names_token(found, rule)) {
            out_json_bytes(refused_token(found));
            out(found_after);
        }
        out("\"");
    }
    out(*separator == '[' ? "[]" : "]");
    out_field("entities", found.entities);
    out_field("absent_entities", absent_entities(found));
    out_name("unknown_entities");
    separator = "{";
    const name_counts& unknown = found.unknown;
    for (std::size_t i = 0; i < unknown.listed; ++i) {
        out(separator);
        separator = ",";
        out_json(name_of(unknown, unknown.counts[i]));
        out(":");
        out(unknown.counts[i].count);
    }
    out(*separator == '{' ? "{}" : "}");
    out_field("unlisted_unknown_entities", unknown.unlisted);
    out_field("first_not_worldspawn", found.world != world_block::found);
    out_field("long_entities", found.long_entities);
    out_field("bad_surfaces", found.bad_surfaces);
    out_field("submodels", found.submodels);
    out_field("submodel_limit", row_of(found.target).submodels);
    out_field("bad_fogs", found.bad_fogs);
    out_name("changed_flags");
    separator = "[";
    each_changed_flag(found, [&](const flagged_shader& shader, bool content, int bit) {
        out(separator);
        separator = ",";
        out("{\"shader\":");
        out_json(shown_bytes{shader.name, shader.length});
        out(content ? ",\"kind\":\"content\"" : ",\"kind\":\"surface\"");
        out_field("bit", std::uint64_t{1} << bit);
        const char* const names[] = {meaning(found.from, content, bit),
                                     meaning(found.target, content, bit)};
        for (int i = 0; i < 2; ++i) {
            out_name(i == 0 ? "from" : "to");
            names[i] != nullptr ? out_json(names[i]) : out("null");
        }
        out("}");
    });
    out(*separator == '[' ? "[]" : "]");
    out_field("unlisted_changed_flags", found.unlisted_flags);
    out("}\n");
}

// Why the target stops loading the map, in the engine's words.
void out_load_failures(const findings& found)
{
    const char* separator = ": ";
    for (std::size_t i = 0; i < load_rule_count; ++i) {
        const load_rule& rule = load_rules[i];
        const std::uint64_t count = rule.count(found);
        if (count == 0) continue;
        out(separator);
        separator = ", ";
        out("\"");
        out(rule.message(found));
        if (names_token(found, rule)) {
            out(refused_token(found));
            out(found_after);
        }
        out("\"");
        if (rule.detail == rule_detail::counted) {
            out(" (");
            out(count);
            out(" ");
            out(rule.counted(found));
            out(")");
        }
        else if (rule.detail == rule_detail::refused) {
            out(" (entity block ");
            out(found.refused_block);
            out(", byte ");
            out(found.refused_at);
            out(")");
        }
    }
}

void out_flags(const findings& found)
{
    const flagged_shader* last = nullptr;
    each_changed_flag(found, [&](const flagged_shader& shader, bool content, int bit) {
        if (last != &shader) {
            out(last == nullptr ? "  flags read otherwise:\n    " : "\n    ");
            out(shown_bytes{shader.name, shader.length});
            out(": ");
            last = &shader;
        }
        else {
            out("; ");
        }
        out(content ? "content " : "surface ");
        const char* from = meaning(found.from, content, bit);
        if (from != nullptr) {
            out(from);
        }
        else {
            out("bit ");
            out(std::uint64_t{1} << bit);
        }
        const char* to = meaning(found.target, content, bit);
        out(" is ");
        out(to != nullptr ? to : "nothing");
    });
    if (found.unlisted_flags > 0) {
        out(last == nullptr ? "  flags read otherwise:\n    " : "\n    ");
        out("and ");
        out(found.unlisted_flags);
        out(" more of shaders not listed");
    }
    if (found.changed_flags > 0) out("\n");
}

// The map's name without its folder and its .bsp ending, then another ending.
void out_beside(const char* map, const char* ending)
{
    const char* base = map;
    for (const char* c = map; *c != '\0'; ++c) {
        if (*c == '/' || *c == '\\') base = c + 1;
    }
    put_name(stdout, base, without_bsp(base, std::strlen(base)));
    out(ending);
}

void out_bot_files(const char* map, game target, unsigned bot_files)
{
    out("  note: bot files beside the map:");
    for (std::size_t i = 0; i < bot_file_count; ++i) {
        if ((bot_files >> i & 1U) == 0) continue;
        out(" ");
        out_beside(map, bot_file_endings[i]);
    }
    const game_row& row = row_of(target);
    out("; ");
    out(row.title);
    out(" loads ");
    const char* separator = "";
    for (std::size_t i = 0; i < bot_file_count; ++i) {
        if ((row.bot_files >> i & 1U) == 0) continue;
        out(separator);
        out_beside(map, bot_file_endings[i]);
        separator = " and ";
    }
    out(row.bot_files == 0 ? "none" : row.bot_files_note);
    out(". Any change to the map's bytes, its version too, makes them out of date.\n");
}

template <typename... pieces> void out_note(pieces... said)
{
    out("  note: ");
    (out(said), ...);
    out("\n");
}

// What the target makes otherwise of what does appear.
void out_notes(const findings& found)
{
    const auto target = static_cast<std::size_t>(found.target);
    const auto from = static_cast<std::size_t>(found.from);
    const game_row& target_row = row_of(found.target);
    for (std::size_t i = 0; i < different_thing_count; ++i) {
        const spawned_thing& thing = different_things[i];
        if (found.different[i] == 0 || thing.in[target] == nullptr || thing.in[from] == nullptr ||
            std::strcmp(thing.in[target], thing.in[from]) == 0) {
            continue;
        }
        out_note(thing.classname, " (", found.different[i], ") in ", target_row.title, ": ",
                 thing.in[target], " (in ", row_of(found.from).title, ": ", thing.in[from], ")");
    }
    if (found.items > 0 && target_row.items_note != nullptr) {
        out_note(found.items, " ", target_row.items_note);
    }
    if (found.q3a_filtered > 0 && found.from == game::q3a && found.target != game::q3a) {
        out_note(found.q3a_filtered,
                 " entities with \"gametype\" or \"notq3a\" appear in every game type of ",
                 target_row.title);
    }
}

void report_text(const char* map, const findings& found, unsigned bot_files)
{
    put_name(stdout, map, std::strlen(map));
    out(loads(found) ? ": will load in " : ": will not load in ");
    out(row_of(found.target).title);
    out_load_failures(found);
    out("; ");
    out(absent_entities(found));
    out(" of ");
    out(found.entities);
    out(" entities will not appear\n  read as ");
    out(row_of(found.from).title);
    out(" (version ");
    out(static_cast<std::uint64_t>(found.version));
    out(")\n");
    const name_counts& unknown = found.unknown;
    for (std::size_t i = 0; i < unknown.listed; ++i) {
        out(i == 0 ? "  no spawn function: " : ", ");
        const name_count& kind = unknown.counts[i];
        kind.length > 0 ? out(name_of(unknown, kind)) : out("no classname");
        out(" (");
        out(kind.count);
        out(")");
    }
    if (unknown.unlisted > 0) {
        out(unknown.listed == 0 ? "  no spawn function: " : ", and ");
        out(unknown.unlisted);
        out(" more of kinds not listed");
    }
    if (unknown.total > 0) out("\n");
    if (found.filtered > 0) {
        out("  freed for their game-type keys: ");
        out(found.filtered);
        out("\n");
    }
    out_flags(found);
    out_notes(found);
    if (bot_files != 0) out_bot_files(map, found.target, bot_files);
    out("\n");
}

}  // namespace

void print_report(const char* map, const findings& found, unsigned bot_files, bool json)
{
    json ? report_json(map, found) : report_text(map, found, bot_files);
}

}  // namespace lumvert

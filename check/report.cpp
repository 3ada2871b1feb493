#include "check/report.hpp"

#include "check/text.hpp"

#include <cstring>

namespace lumvert {

namespace {

void out(const char* text) { put(stdout, text); }
void out(std::uint64_t number) { put(stdout, number); }
void out_bytes(const char* bytes, std::size_t length) { put_bytes(stdout, bytes, length); }

// A JSON string of the map's bytes: each byte below 32 or above 126 as \u00XX, so that a name is
// the same string in every reader. The map's own name keeps its UTF-8.
void out_json(const char* bytes, std::size_t length, bool keep_utf8 = false)
{
    out("\"");
    for (std::size_t i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const char* hex = "0123456789abcdef";
        const char kept[] = {static_cast<char>(byte), '\0'};
        const char escaped[] = {'\\', static_cast<char>(byte), '\0'};
        const char coded[] = {'\\', 'u', '0', '0', hex[byte >> 4], hex[byte & 15], '\0'};
        out(byte == '"' || byte == '\\'                              ? escaped
            : byte < 32 || byte == 127 || (byte > 127 && !keep_utf8) ? coded
                                                                     : kept);
    }
    out("\"");
}

void out_json(const char* text)
{
    text != nullptr ? out_json(text, std::strlen(text)) : out("null");
}

void out_json_flag(const changed_flag& flag, void* context)
{
    bool& first = *static_cast<bool*>(context);
    out(first ? "{\"shader\":" : ",{\"shader\":");
    first = false;
    out_json(flag.shader, flag.shader_length);
    out(flag.content ? ",\"kind\":\"content\",\"bit\":" : ",\"kind\":\"surface\",\"bit\":");
    out(std::uint64_t{flag.bit});
    out(",\"from\":");
    out_json(flag.from);
    out(",\"to\":");
    out_json(flag.to);
    out("}");
}

// A field's name and number, after a comma.
void out_field(const char* name, std::uint64_t number)
{
    out(",\"");
    out(name);
    out("\":");
    out(number);
}

void out_field(const char* name, bool holds)
{
    out(",\"");
    out(name);
    out(holds ? "\":true" : "\":false");
}

bool report_json(const char* map, int file, findings& found)
{
    out("{\"map\":");
    out_json(map, std::strlen(map), true);
    out_field("version", static_cast<std::uint64_t>(found.version));
    out(",\"from\":");
    out_json(game_name(found.from));
    out(",\"for\":");
    out_json(game_name(found.target));
    out_field("loads", loads(found));
    out_field("entities", found.entities);
    out(",\"unknown_entities\":{");
    for (std::size_t i = 0; i < found.kinds; ++i) {
        if (i > 0) out(",");
        out_json(found.unknown_kinds[i].classname);
        out(":");
        out(found.unknown_kinds[i].count);
    }
    out("}");
    out_field("first_not_worldspawn", found.first_not_worldspawn);
    out_field("long_entities", found.long_entities);
    out_field("bad_surfaces", found.bad_surfaces);
    out_field("submodels", found.submodels);
    out_field("submodel_limit", submodel_limit(found.target));
    out_field("bad_fogs", found.bad_fogs);
    out(",\"changed_flags\":[");
    bool first = true;
    const bool read = each_changed_flag(file, found, out_json_flag, &first);
    out("]");
    if (!read) {
        out(",\"error\":");
        out_json(found.error);
    }
    out("}\n");
    return read;
}

// Why the target stops loading the map, in the engine's words.
void out_load_failures(const findings& found)
{
    const char* separator = ": ";
    const auto reason = [&](bool holds, const char* message, std::uint64_t count,
                            const char* what) {
        if (!holds) return;
        out(separator);
        out("\"");
        out(message);
        out("\"");
        if (what != nullptr) {
            out(" (");
            out(count);
            out(what);
            out(")");
        }
        separator = ", ";
    };
    reason(found.first_not_worldspawn && found.entities == 0, "SpawnEntities: no entities", 0,
           nullptr);
    reason(found.first_not_worldspawn && found.entities > 0,
           "SP_worldspawn: The first entity isn't 'worldspawn'", 0, nullptr);
    reason(found.long_entities > 0, entity_chars_message(found.target), found.long_entities,
           " entities too long");
    reason(found.submodels > submodel_limit(found.target), submodels_message(found.target),
           found.submodels, " submodels");
    reason(found.bad_surfaces > 0, "Bad surfaceType", found.bad_surfaces, " surfaces");
    reason(found.bad_fogs > 0, "fog brushNumber out of range", found.bad_fogs, " fogs");
}

void out_text_flag(const changed_flag& flag, void* context)
{
    const char*& shader = *static_cast<const char**>(context);
    if (shader != flag.shader) {
        out(shader == nullptr ? "  flags read otherwise:\n    " : "\n    ");
        out_bytes(flag.shader, flag.shader_length);
        out(": ");
        shader = flag.shader;
    }
    else {
        out("; ");
    }
    out(flag.content ? "content " : "surface ");
    if (flag.from != nullptr) {
        out(flag.from);
    }
    else {
        out("bit ");
        out(std::uint64_t{flag.bit});
    }
    out(" is ");
    out(flag.to != nullptr ? flag.to : "nothing");
}

// The map's name without its folder and its .bsp ending, and another ending.
void out_beside(const char* map, const char* ending)
{
    const char* base = map;
    for (const char* c = map; *c != '\0'; ++c) {
        if (*c == '/' || *c == '\\') base = c + 1;
    }
    std::size_t length = std::strlen(base);
    if (length >= 4 && same_ignoring_case(base + length - 4, ".bsp")) length -= 4;
    out_bytes(base, length);
    out(ending);
}

void out_bot_files(const char* map, game target, unsigned bot_files)
{
    out("  note: bot files beside the map:");
    const char* const endings[] = {".aas", "_b0.aas", "_b1.aas"};
    for (unsigned i = 0; i < 3; ++i) {
        if ((bot_files >> i & 1U) == 0) continue;
        out(" ");
        out_beside(map, endings[i]);
    }
    out("; ");
    out(game_title(target));
    out(" loads ");
    if (target == game::q3a) {
        out_beside(map, ".aas");
    }
    else if (target == game::et) {
        out("none");
    }
    else {
        out_beside(map, "_b0.aas");
        out(" and ");
        out_beside(map, "_b1.aas");
        out(" (AAS version 8)");
    }
    out(". Any change to the map's bytes, its version too, makes them out of date.\n");
}

// What the target makes otherwise of what does appear.
void out_notes(const findings& found)
{
    const auto target = static_cast<std::size_t>(found.target);
    const auto from = static_cast<std::size_t>(found.from);
    for (std::size_t i = 0; i < different_thing_count; ++i) {
        const spawned_thing& thing = different_things[i];
        if (found.different[i] == 0 || thing.in[target] == nullptr || thing.in[from] == nullptr ||
            std::strcmp(thing.in[target], thing.in[from]) == 0) {
            continue;
        }
        out("  note: ");
        out(thing.classname);
        out(" (");
        out(found.different[i]);
        const char* const pieces[] = {") in ", game_title(found.target), ": ", thing.in[target],
                                      " (in ", game_title(found.from),   ": ", thing.in[from],
                                      ")\n"};
        for (const char* piece : pieces) out(piece);
    }
    // RTCW multiplayer's game types are all team games, and ET drops notteam entities always.
    const auto always = [](game which) { return which == game::rtcw_mp || which == game::et; };
    if (found.notteam > 0 && always(found.target) != always(found.from)) {
        out("  note: ");
        out(found.notteam);
        out(always(found.target) ? " entities with \"notteam\" never appear in "
                                 : " entities with \"notteam\" appear outside team game types in ");
        out(game_title(found.target));
        out("\n");
    }
    if (found.gametype > 0 && (found.target == game::q3a) != (found.from == game::q3a)) {
        out("  note: ");
        out(found.gametype);
        out(found.target == game::q3a
                ? " entities with \"gametype\" or \"notq3a\" appear only where those keys allow in "
                : " entities with \"gametype\" or \"notq3a\" appear in every game type of ");
        out(game_title(found.target));
        out("\n");
    }
}

bool report_text(const char* map, int file, findings& found, unsigned bot_files)
{
    out_bytes(map, std::strlen(map));
    out(loads(found) ? ": will load in " : ": will not load in ");
    out(game_title(found.target));
    out_load_failures(found);
    out("; ");
    out(found.unknown);
    out(" of ");
    out(found.entities);
    out(" entities will not appear\n  read as ");
    out(game_title(found.from));
    out(" (version ");
    out(static_cast<std::uint64_t>(found.version));
    out(")\n");
    for (std::size_t i = 0; i < found.kinds; ++i) {
        out(i == 0 ? "  will not appear: " : ", ");
        const char* classname = found.unknown_kinds[i].classname;
        *classname != '\0' ? out_bytes(classname, std::strlen(classname)) : out("no classname");
        out(" (");
        out(found.unknown_kinds[i].count);
        out(")");
    }
    if (found.kinds > 0) out("\n");
    const char* shader = nullptr;
    const bool read = each_changed_flag(file, found, out_text_flag, &shader);
    if (shader != nullptr) out("\n");
    out_notes(found);
    if (bot_files != 0) out_bot_files(map, found.target, bot_files);
    out("\n");
    return read;
}

}  // namespace

bool print_report(const char* map, int file, findings& found, unsigned bot_files, bool json)
{
    return json ? report_json(map, file, found) : report_text(map, file, found, bot_files);
}

void print_failure(const char* map, const char* error, bool json)
{
    put_bytes(stderr, map, std::strlen(map));
    put(stderr, ": ");
    put(stderr, error);
    put(stderr, "\n");
    if (!json) return;
    out("{\"map\":");
    out_json(map, std::strlen(map), true);
    out(",\"error\":");
    out_json(error);
    out("}\n");
}

}  // namespace lumvert

#include "check/map_check.hpp"

#include "check/text.hpp"
#include "frontend/files.hpp"

#include <cstdlib>
#include <cstring>

namespace lumvert {

namespace {

constexpr std::size_t header_size = 144;
constexpr int lump_count = 17;
constexpr const char* lump_names[lump_count] = {
    "entities",    "shaders",  "planes",    "nodes",      "leafs",     "leafsurfaces",
    "leafbrushes", "models",   "brushes",   "brushsides", "drawverts", "drawindexes",
    "fogs",        "surfaces", "lightmaps", "lightgrid",  "visibility"};
enum lump_index {
    entities_lump = 0,
    shaders_lump = 1,
    models_lump = 7,
    brushes_lump = 8,
    fogs_lump = 12,
    surfaces_lump = 13
};
// The record sizes of the lumps the check reads.
constexpr std::size_t shader_size = 72, model_size = 40, brush_size = 12, fog_size = 72,
                      surface_size = 104;

std::int32_t little_endian(const char* bytes)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return static_cast<std::int32_t>(value);
}

// Says why the map is damaged or unreadable, in `found.error`, and fails.
template <typename... pieces> bool damaged(findings& found, pieces... said)
{
    text_builder text = start_text(found.error, sizeof found.error);
    (append(text, said), ...);
    return false;
}

using number = std::uint64_t;

// The header's directory, each lump within the file and, where the check reads its records, a
// whole number of them.
bool read_header(int file, std::uint64_t size, findings& found, lump (&lumps)[lump_count])
{
    char header[header_size];
    if (size < header_size) {
        return damaged(found, "shorter (", number{size}, " bytes) than the 144-byte header");
    }
    if (!read_at(file, 0, header, header_size)) return damaged(found, "cannot be read");
    if (std::memcmp(header, "IBSP", 4) != 0) {
        return damaged(found, "no BSP map: it does not begin with IBSP");
    }
    found.version = little_endian(header + 4);
    if (found.version != 46 && found.version != 47) {
        return damaged(found, "version ", std::int64_t{found.version},
                       ", neither 46 (Q3A) nor 47 (RTCW, ET)");
    }
    constexpr std::size_t records[lump_count] = {1,        shader_size,  1,          1, 1, 1,
                                                 1,        model_size,   brush_size, 1, 1, 1,
                                                 fog_size, surface_size, 1,          1, 1};
    for (int i = 0; i < lump_count; ++i) {
        const std::int32_t offset = little_endian(header + 8 + std::ptrdiff_t{8} * i);
        const std::int32_t length = little_endian(header + 12 + std::ptrdiff_t{8} * i);
        if (offset < 0 || length < 0) {
            return damaged(found, "lump ", number(i), " (", lump_names[i],
                           ") has a negative offset or length");
        }
        lumps[i] = {static_cast<std::uint64_t>(offset), static_cast<std::uint64_t>(length)};
        if (lumps[i].offset + lumps[i].length > size) {
            return damaged(found, "lump ", number(i), " (", lump_names[i], ") ends at byte ",
                           lumps[i].offset + lumps[i].length, ", past the end of the file (", size,
                           " bytes)");
        }
        if (lumps[i].length % records[i] != 0) {
            return damaged(found, "lump ", number(i), " (", lump_names[i], ") is ", lumps[i].length,
                           " bytes, not a whole number of ", number{records[i]}, "-byte records");
        }
    }
    return true;
}

// Hands each record of a lump to `take`, a block at a time; false on a read error.
template <typename taker>
bool each_record(int file, const lump& where, std::size_t record, findings& found, taker take)
{
    const std::size_t most = sizeof found.block / record * record;
    for (std::uint64_t done = 0; done < where.length;) {
        const std::size_t count =
            where.length - done < most ? static_cast<std::size_t>(where.length - done) : most;
        if (!read_at(file, where.offset + done, found.block, count)) {
            return damaged(found, "cannot be read");
        }
        for (std::size_t at = 0; at < count; at += record) take(found.block + at);
        done += count;
    }
    return true;
}

// The entity lump as the engines' parser reads it, a byte at a time, through the block.
struct text_reader {
    int file;
    std::uint64_t next;  // the file's offset of the next block
    std::uint64_t end;
    findings& found;
    std::size_t at = 0;
    std::size_t filled = 0;
    bool failed = false;
};

// The byte `ahead` of the next, or -1 at the end of the lump.
int peek(text_reader& text, std::size_t ahead)
{
    if (text.filled - text.at <= ahead) {
        std::memmove(text.found.block, text.found.block + text.at, text.filled - text.at);
        text.filled -= text.at;
        text.at = 0;
        const std::uint64_t room = sizeof text.found.block - text.filled;
        const auto count =
            static_cast<std::size_t>(text.end - text.next < room ? text.end - text.next : room);
        if (count > 0 && !read_at(text.file, text.next, text.found.block + text.filled, count)) {
            text.failed = true;
            text.next = text.end;
        }
        else {
            text.next += count;
            text.filled += count;
        }
    }
    return text.filled - text.at > ahead
               ? static_cast<unsigned char>(text.found.block[text.at + ahead])
               : -1;
}

std::uint64_t offset_of(const text_reader& text) { return text.next - (text.filled - text.at); }

struct token {
    char text[token_size];
    std::size_t length;
};

// Takes the next token: white space is any byte up to 32; // and /* */ comments are skipped; a
// quoted token runs to the next quote, any other to white space; a NUL outside quotes ends the
// text. False at the end of the text.
bool next_token(text_reader& text, token& taken)
{
    taken.length = 0;
    taken.text[0] = '\0';
    int c = peek(text, 0);
    for (;;) {
        while (c > 0 && c <= ' ') {
            ++text.at;
            c = peek(text, 0);
        }
        if (c <= 0) return false;
        if (c != '/' || (peek(text, 1) != '/' && peek(text, 1) != '*')) break;
        const bool line = peek(text, 1) == '/';
        text.at += 2;
        while ((c = peek(text, 0)) > 0 && (line ? c != '\n' : c != '*' || peek(text, 1) != '/')) {
            ++text.at;
        }
        if (!line && c > 0) {
            text.at += 2;
            c = peek(text, 0);
        }
    }
    const bool quoted = c == '"';
    if (quoted) {
        ++text.at;
        c = peek(text, 0);
    }
    while (quoted ? c > 0 && c != '"' : c > ' ') {
        if (taken.length < token_size - 1) taken.text[taken.length++] = static_cast<char>(c);
        ++text.at;
        c = peek(text, 0);
    }
    // The closing quote, or the NUL that ends a quoted token early.
    if (quoted && c >= 0) ++text.at;
    taken.text[taken.length] = '\0';
    return true;
}

// Counts one more entity of a classname that the target does not spawn.
bool count_unknown(findings& found, const char* classname)
{
    std::uint32_t hash = 2166136261U;
    for (const char* c = classname; *c != '\0'; ++c) {
        hash = (hash ^ static_cast<unsigned char>(*c)) * 16777619U;
    }
    constexpr std::size_t slots = sizeof found.slots / sizeof *found.slots;
    for (std::size_t slot = hash % slots;; slot = (slot + 1) % slots) {
        if (found.slots[slot] == 0) {
            if (found.kinds == most_kinds) {
                return damaged(found, "more than ", number{most_kinds},
                               " kinds of entity that will not appear");
            }
            unknown_kind& kind = found.unknown_kinds[found.kinds];
            std::memcpy(kind.classname, classname, std::strlen(classname) + 1);
            kind.count = 0;
            found.slots[slot] = static_cast<std::uint16_t>(++found.kinds);
        }
        unknown_kind& kind = found.unknown_kinds[found.slots[slot] - 1];
        if (std::strcmp(kind.classname, classname) == 0) {
            ++kind.count;
            ++found.unknown;
            return true;
        }
    }
}

// What the target makes of a block once it is read whole.
bool take_block(findings& found, std::size_t chars, bool notteam, bool gametype)
{
    const char* classname = found.classname;
    if (chars > entity_char_limit(found.target)) ++found.long_entities;
    if (found.entities++ == 0) {
        found.first_not_worldspawn = !same_ignoring_case(classname, "worldspawn");
        return true;
    }
    found.notteam += notteam ? 1 : 0;
    found.gametype += gametype ? 1 : 0;
    for (std::size_t i = 0; i < different_thing_count; ++i) {
        if (std::strcmp(classname, different_things[i].classname) == 0) ++found.different[i];
    }
    return spawns(found.target, classname) || count_unknown(found, classname);
}

// Whether a key is `name` as the target reads keys: Q3A ignoring the case of letters.
bool key_is(const findings& found, const token& key, const char* name)
{
    return found.target == game::q3a ? same_ignoring_case(key.text, name)
                                     : std::strcmp(key.text, name) == 0;
}

// Reads the blocks of the entity lump: {, then keys and values in pairs, then }.
bool read_entities(int file, const lump& text_lump, findings& found)
{
    text_reader text{file, text_lump.offset, text_lump.offset + text_lump.length, found};
    token key;
    token value;
    for (;;) {
        const std::uint64_t start = offset_of(text);
        if (!next_token(text, key)) break;
        if (key.text[0] != '{') {
            return damaged(found, "entity block ", found.entities + 1, " (byte ", start, "): \"",
                           shown_bytes{key.text, key.length < 40 ? key.length : 40},
                           "\" where a block must start");
        }
        std::size_t chars = 0;
        bool notteam = false;
        bool gametype = false;
        found.classname[0] = '\0';
        while (next_token(text, key) && key.text[0] != '}') {
            if (!next_token(text, value)) break;
            if (value.text[0] == '}') {
                return damaged(found, "entity block ", found.entities + 1, " (byte ", start,
                               "): a closing brace where a value must be");
            }
            chars += key.length + 1 + value.length + 1;
            if (same_ignoring_case(key.text, "classname")) {
                std::memcpy(found.classname, value.text, value.length + 1);
            }
            notteam = notteam || (key_is(found, key, "notteam") && std::atoi(value.text) != 0);
            // Only Q3A reads these, in any case.
            gametype = gametype || same_ignoring_case(key.text, "gametype") ||
                       (same_ignoring_case(key.text, "notq3a") && std::atoi(value.text) != 0);
        }
        if (text.failed) break;
        if (key.text[0] != '}') {
            return damaged(found, "entity block ", found.entities + 1, " (byte ", start,
                           "): the text ends inside it");
        }
        if (!take_block(found, chars, notteam, gametype)) return false;
    }
    if (text.failed) return damaged(found, "cannot be read");
    if (found.entities == 0) found.first_not_worldspawn = true;
    return true;
}

}  // namespace

// The first read of every lump the check needs; the shaders' flags are read again to be told.
bool check_map(int file, std::uint64_t size, bool from_given, bool target_given, findings& found)
{
    found.entities = found.unknown = found.long_entities = found.bad_surfaces = found.bad_fogs = 0;
    found.notteam = found.gametype = found.kinds = 0;
    found.first_not_worldspawn = false;
    std::memset(found.slots, 0, sizeof found.slots);
    std::memset(found.different, 0, sizeof found.different);
    lump lumps[lump_count];
    if (!read_header(file, size, found, lumps)) return false;
    if (!from_given) found.from = found.version == 46 ? game::q3a : game::rtcw_mp;
    if (!target_given) found.target = found.version == 46 ? game::rtcw_mp : game::q3a;
    found.shaders = lumps[shaders_lump];
    found.submodels = lumps[models_lump].length / model_size;
    const std::uint64_t brushes = lumps[brushes_lump].length / brush_size;
    const std::int32_t last_type = last_surface_type(found.target);
    const std::int32_t first_brush = first_fog_brush(found.target);
    const auto ignore = [](const changed_flag&, void*) {};
    return read_entities(file, lumps[entities_lump], found) &&
           each_changed_flag(file, found, ignore, nullptr) &&
           each_record(file, lumps[surfaces_lump], surface_size, found,
                       [&](const char* record) {
                           const std::int32_t type = little_endian(record + 8);
                           if (type < 1 || type > last_type) ++found.bad_surfaces;
                       }) &&
           each_record(file, lumps[fogs_lump], fog_size, found, [&](const char* record) {
               const std::int32_t brush = little_endian(record + 64);
               if (brush < first_brush ||
                   (brush >= 0 && static_cast<std::uint64_t>(brush) >= brushes)) {
                   ++found.bad_fogs;
               }
           });
}

bool each_changed_flag(int file, findings& found, flag_taker take, void* context)
{
    found.changed_flags = 0;
    return each_record(file, found.shaders, shader_size, found, [&](const char* record) {
        const auto name = static_cast<const char*>(std::memchr(record, '\0', 64));
        for (int kind = 0; kind < 2; ++kind) {
            const bool content = kind == 1;
            const auto flags =
                static_cast<std::uint32_t>(little_endian(record + (content ? 68 : 64)));
            for (int bit = 0; bit < 32; ++bit) {
                if ((flags >> bit & 1U) == 0) continue;
                const char* from =
                    content ? content_meaning(found.from, bit) : surface_meaning(found.from, bit);
                const char* to = content ? content_meaning(found.target, bit)
                                         : surface_meaning(found.target, bit);
                if (same_meaning(from, to)) continue;
                ++found.changed_flags;
                take({record, name != nullptr ? static_cast<std::size_t>(name - record) : 64,
                      content, std::uint32_t{1} << bit, from, to},
                     context);
            }
        }
    });
}

bool loads(const findings& found)
{
    return !found.first_not_worldspawn && found.long_entities == 0 && found.bad_surfaces == 0 &&
           found.bad_fogs == 0 && found.submodels <= submodel_limit(found.target);
}

}  // namespace lumvert

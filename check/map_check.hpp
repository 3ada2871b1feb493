#pragma once

#include "check/games.hpp"

#include <cstddef>
#include <cstdint>

namespace lumvert {

// A token keeps at most this many bytes with its NUL, as in the engines' parser.
constexpr std::size_t token_size = 1024;
// Different classnames that will not appear, counted one by one: more than a map can hold
// entities (1024 in every game).
constexpr std::size_t most_kinds = 1024;

struct lump {
    std::uint64_t offset;
    std::uint64_t length;
};

struct unknown_kind {
    char classname[token_size];
    std::uint64_t count;
};

// Everything one map's check finds, in fixed room: it holds no more for a larger map.
struct findings {
    std::int32_t version;
    game from;
    game target;
    lump shaders;
    std::uint64_t entities;
    std::uint64_t unknown;  // entities, of all kinds
    std::size_t kinds;
    unknown_kind unknown_kinds[most_kinds];
    std::uint16_t slots[2 * most_kinds];  // a hash of kinds + 1, 0 where free
    bool first_not_worldspawn;
    std::uint64_t long_entities;
    std::uint64_t bad_surfaces;
    std::uint64_t submodels;
    std::uint64_t bad_fogs;
    std::uint64_t changed_flags;
    std::uint64_t different[different_thing_count];  // entities the target makes another thing
    std::uint64_t notteam;                           // entities with a non-zero notteam key
    std::uint64_t gametype;                          // with a gametype or non-zero notq3a key
    char error[512];                                 // why the map could not be checked
    char classname[token_size];                      // of the block being read
    char block[std::size_t{64} * 1024];              // where the lumps are read
};

// Reads the map open as `file`, `size` bytes long, for what `findings.target` makes of it, with
// `from` and `target` already set where the command line names them (`from_given`,
// `target_given`). False, with `error` said, where the map is damaged or cannot be read.
bool check_map(int file, std::uint64_t size, bool from_given, bool target_given, findings& found);

// Calls `take` with each changed flag of each shader record, read again; false on a read error.
struct changed_flag {
    const char* shader;  // up to 64 bytes, not ended by a NUL where it fills them
    std::size_t shader_length;
    bool content;
    std::uint32_t bit;
    const char* from;
    const char* to;
};
using flag_taker = void (*)(const changed_flag& flag, void* context);
bool each_changed_flag(int file, findings& found, flag_taker take, void* context);

bool loads(const findings& found);

}  // namespace lumvert

#pragma once

#include "files/files.hpp"
#include "map/text.hpp"

#include <cstddef>
#include <cstdint>

namespace lumvert {

// A compiled map: "IBSP", a little-endian version, then each lump's offset and length. The byte
// at offset 4 is the version's low byte.
constexpr unsigned char version_q3a = 46;
constexpr unsigned char version_rtcw = 47;  // RTCW and ET alike
constexpr std::size_t header_size = 144;

enum lump_index {
    entities_lump,
    shaders_lump,
    planes_lump,
    nodes_lump,
    leafs_lump,
    leafsurfaces_lump,
    leafbrushes_lump,
    models_lump,
    brushes_lump,
    brushsides_lump,
    drawverts_lump,
    drawindexes_lump,
    fogs_lump,
    surfaces_lump,
    lightmaps_lump,
    lightgrid_lump,
    visibility_lump,
    lump_count
};

// Each lump's name, and the size of its records where they are read (1 where they are not).
struct lump_kind {
    const char* name;
    std::size_t record;
};
inline constexpr lump_kind lump_kinds[lump_count] = {
    {"entities", 1},     {"shaders", 72},    {"planes", 1},  {"nodes", 1},      {"leafs", 1},
    {"leafsurfaces", 1}, {"leafbrushes", 1}, {"models", 40}, {"brushes", 12},   {"brushsides", 1},
    {"drawverts", 1},    {"drawindexes", 1}, {"fogs", 72},   {"surfaces", 104}, {"lightmaps", 1},
    {"lightgrid", 1},    {"visibility", 1}};

struct lump {
    std::uint64_t offset;
    std::uint64_t length;
};

struct bsp_header {
    std::int32_t version;
    lump lumps[lump_count];
};

std::int32_t little_endian(const char* bytes);

// Reads the header of a map `size` bytes long: "IBSP", version 46 or 47, every lump within the
// file and a whole number of its records. False, with why in `why`, where the map is damaged or
// cannot be read.
bool read_header(int file, std::uint64_t size, bsp_header& header, text_builder& why);

// Where a map's lumps are read, a block at a time: its size bounds the memory a map can take.
struct lump_block {
    char bytes[std::size_t{64} * 1024];
};

// Hands each `record`-byte record of a lump to `take`, reading whole records a block at a time;
// false on a read error.
template <typename taker>
bool each_record(int file, const lump& where, std::size_t record, lump_block& block, taker take)
{
    const std::size_t most = sizeof block.bytes / record * record;
    for (std::uint64_t done = 0; done < where.length;) {
        const std::size_t count =
            where.length - done < most ? static_cast<std::size_t>(where.length - done) : most;
        if (!read_at(file, where.offset + done, block.bytes, count)) return false;
        for (std::size_t at = 0; at < count; at += record) take(block.bytes + at);
        done += count;
    }
    return true;
}

}  // namespace lumvert

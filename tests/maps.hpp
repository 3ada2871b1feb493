#pragma once
// Maps that the tests build: a header, and the lumps the programs read; every other lump empty.

#include <cstdint>
#include <string>
#include <vector>

namespace lumvert {

inline std::string little_endian(std::int64_t value)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
    }
    return bytes;
}

inline std::string shader(const std::string& name, std::uint32_t surface, std::uint32_t content)
{
    return name + std::string(64 - name.size(), '\0') + little_endian(surface) +
           little_endian(content);
}

// The lumps of a map that the check reads; every other lump is empty.
struct map_parts {
    std::string entities;
    std::string shaders{};
    std::size_t models = 1;
    std::size_t brushes = 0;
    std::vector<std::int32_t> fog_brushes{};
    std::vector<std::int32_t> surface_types{};
    int version = 46;
};

inline std::string map_of(const map_parts& parts)
{
    std::string lumps[17];
    lumps[0] = parts.entities;
    lumps[1] = parts.shaders;
    lumps[7] = std::string(40 * parts.models, '\0');
    lumps[8] = std::string(12 * parts.brushes, '\0');
    for (const std::int32_t brush : parts.fog_brushes) {
        lumps[12] += std::string(64, 'f') + little_endian(brush) + little_endian(0);
    }
    for (const std::int32_t type : parts.surface_types) {
        lumps[13] += std::string(8, 's') + little_endian(type) + std::string(92, 's');
    }
    std::string header = "IBSP" + little_endian(parts.version);
    std::string body;
    for (const std::string& lump : lumps) {
        header += little_endian(static_cast<std::int64_t>(144 + body.size())) +
                  little_endian(static_cast<std::int64_t>(lump.size()));
        body += lump;
    }
    return header + body;
}

inline std::string with(std::string map, std::size_t at, const std::string& bytes)
{
    return map.replace(at, bytes.size(), bytes);
}

inline std::string times(std::size_t count, const std::string& text)
{
    std::string all;
    for (std::size_t i = 0; i < count; ++i) all += text;
    return all;
}

inline const std::string world = "{\n\"classname\" \"worldspawn\"\n}\n";

inline std::string entity(const std::string& classname, const std::string& pairs = "")
{
    return "{ \"classname\" \"" + classname + "\"" + pairs + " }\n";
}

// A map of the world and the entities given.
inline std::string world_and(const std::string& entities) { return map_of({world + entities}); }

}  // namespace lumvert

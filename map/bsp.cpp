#include "map/bsp.hpp"

#include <cstring>

namespace lumvert {

std::int32_t little_endian(const char* bytes)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return static_cast<std::int32_t>(value);
}

bool read_header(int file, std::uint64_t size, bsp_header& header, text_builder& why)
{
    using number = std::uint64_t;
    char bytes[header_size];
    if (size < header_size) {
        append(why, "shorter (");
        append(why, size);
        append(why, " bytes) than the 144-byte header");
        return false;
    }
    if (!read_at(file, 0, bytes, header_size)) {
        append(why, "cannot be read");
        return false;
    }
    if (std::memcmp(bytes, "IBSP", 4) != 0) {
        append(why, "no BSP map: it does not begin with IBSP");
        return false;
    }
    header.version = little_endian(bytes + 4);
    if (header.version != version_q3a && header.version != version_rtcw) {
        append(why, "version ");
        append(why, std::int64_t{header.version});
        append(why, ", neither 46 (Q3A) nor 47 (RTCW, ET)");
        return false;
    }
    for (int i = 0; i < lump_count; ++i) {
        const std::int32_t offset = little_endian(bytes + 8 + std::ptrdiff_t{8} * i);
        const std::int32_t length = little_endian(bytes + 12 + std::ptrdiff_t{8} * i);
        const lump_kind& kind = lump_kinds[i];
        lump& taken = header.lumps[i];
        taken = {static_cast<number>(offset < 0 ? 0 : offset),
                 static_cast<number>(length < 0 ? 0 : length)};
        const bool negative = offset < 0 || length < 0;
        const bool past = taken.offset + taken.length > size;
        if (!negative && !past && taken.length % kind.record == 0) continue;
        append(why, "lump ");
        append(why, number(i));
        append(why, " (");
        append(why, kind.name);
        if (negative) {
            append(why, ") has a negative offset or length");
        }
        else if (past) {
            append(why, ") ends at byte ");
            append(why, taken.offset + taken.length);
            append(why, ", past the end of the file (");
            append(why, size);
            append(why, " bytes)");
        }
        else {
            append(why, ") is ");
            append(why, taken.length);
            append(why, " bytes, not a whole number of ");
            append(why, number{kind.record});
            append(why, "-byte records");
        }
        return false;
    }
    return true;
}

}  // namespace lumvert

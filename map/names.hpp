#pragma once

#include "map/text.hpp"

#include <cstddef>
#include <cstdint>

namespace lumvert {

// How often each name was met, in fixed room: up to 1024 names, or 64 KiB of them, are listed in
// the order met; past that, their count is in `unlisted` alone. A name is found by a binary
// search of those listed, so that no choice of names makes a map slower than another of its size.
constexpr std::size_t listed_names = 1024;
constexpr std::size_t name_room = std::size_t{64} * 1024;

struct name_count {
    std::uint32_t name;  // where in `name_counts::names`
    std::uint32_t length;
    std::uint64_t count;
};

struct name_counts {
    std::uint64_t total;
    std::uint64_t unlisted;
    std::size_t listed;
    name_count counts[listed_names];
    std::uint16_t sorted[listed_names];  // `counts` in the order of their names
    char names[name_room];
};

void count_name(name_counts& counts, const char* name, std::size_t length);
shown_bytes name_of(const name_counts& counts, const name_count& count);

}  // namespace lumvert

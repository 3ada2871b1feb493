#include "map/names.hpp"

#include <cstring>

namespace lumvert {

namespace {

int compare(const name_counts& counts, const name_count& count, const char* name,
            std::size_t length)
{
    const std::size_t shorter = count.length < length ? count.length : length;
    const int order = std::memcmp(counts.names + count.name, name, shorter);
    if (order != 0) return order;
    return count.length < length ? -1 : count.length > length ? 1 : 0;
}

}  // namespace

void count_name(name_counts& counts, const char* name, std::size_t length)
{
    ++counts.total;
    std::size_t low = 0;
    std::size_t high = counts.listed;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        name_count& count = counts.counts[counts.sorted[middle]];
        const int order = compare(counts, count, name, length);
        if (order == 0) {
            ++count.count;
            return;
        }
        if (order < 0) {
            low = middle + 1;
        }
        else {
            high = middle;
        }
    }
    std::size_t used = 0;
    if (counts.listed > 0) {
        const name_count& last = counts.counts[counts.listed - 1];
        used = last.name + last.length;
    }
    if (counts.listed == listed_names || name_room - used < length) {
        ++counts.unlisted;
        return;
    }
    std::memcpy(counts.names + used, name, length);
    counts.counts[counts.listed] = {static_cast<std::uint32_t>(used),
                                    static_cast<std::uint32_t>(length), 1};
    std::memmove(counts.sorted + low + 1, counts.sorted + low,
                 (counts.listed - low) * sizeof *counts.sorted);
    counts.sorted[low] = static_cast<std::uint16_t>(counts.listed++);
}

shown_bytes name_of(const name_counts& counts, const name_count& count)
{
    return {counts.names + count.name, count.length};
}

}  // namespace lumvert

#include "convert/version_copy.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace lumvert {

constexpr std::size_t block = std::size_t{128} * 1024;

// Takes `capacity` bytes, then refuses more like a full disk (the default overflow fails).
struct full_disk : std::streambuf {
    explicit full_disk(std::size_t capacity) : room(capacity, '\0')
    {
        setp(room.data(), room.data() + capacity);
    }
    std::string written() const { return {pbase(), pptr()}; }
    std::string room;
};

// A Q3A header with the given version byte, then bytes unlike their neighbours.
std::string map_bytes(std::size_t size, char version = '.')
{
    std::string bytes = std::string("IBSP") + version;
    for (std::size_t i = 5; i < size; ++i) bytes += static_cast<char>(i * 7);
    return bytes.substr(0, size);
}

// A read error is injected where it really happens: the run sequence reads /proc/self/mem.
TEST(VersionCopy, ReplacesByteFourAndStopsAtTheFirstFailedWrite)
{
    for (const auto& [size, capacity, outcome, written] :
         {std::tuple{3 * block + 17, 4 * block, copy_completed, 3 * block + 17},
          {0, 1, copy_completed, 0},
          {4, 4, copy_completed, 4},
          {5, 5, copy_completed, 5},
          {block, 3, copy_write_failed, 3},
          {block, 4, copy_version_write_failed, 4},
          {block, 5, copy_write_failed, 5},
          {3 * block, block + 9, copy_write_failed, block + 9}}) {
        std::istringstream source(map_bytes(size));
        full_disk disk(capacity);
        std::ostream target(&disk);
        EXPECT_EQ(copy_with_version(source, target, version_rtcw), outcome) << size;
        EXPECT_TRUE(disk.written() == map_bytes(written, '/')) << capacity;
    }
}

}  // namespace lumvert

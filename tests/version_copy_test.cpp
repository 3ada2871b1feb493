#include "convert/version_copy.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace lumvert {
namespace {

constexpr std::size_t block = std::size_t{128} * 1024;

// Hands out `readable` bytes, then ends or fails the next read as a file buffer does on EIO;
// takes `capacity` bytes, then refuses more like a full disk.
struct faulty_buffer : std::stringbuf {
    faulty_buffer(const std::string& readable, bool fails, std::size_t capacity)
        : std::stringbuf(readable, std::ios::in), room(capacity, '\0'), read_fails(fails)
    {
        setp(room.data(), room.data() + capacity);
    }
    int_type underflow() override { return read_fails ? throw std::ios::failure("EIO") : EOF; }
    std::string written() const { return {pbase(), pptr()}; }
    std::string room;
    bool read_fails;
};

// A Q3A header with the given version byte, then bytes unlike their neighbours.
std::string map_bytes(std::size_t size, char version = '.')
{
    std::string bytes = std::string("IBSP") + version;
    for (std::size_t i = 5; i < size; ++i) bytes += static_cast<char>(i * 7);
    return bytes.substr(0, size);
}

TEST(VersionCopy, ReplacesByteFourAndStopsAtTheFirstFault)
{
    for (const auto& [readable, read_fails, capacity, outcome, written] :
         {std::tuple{3 * block + 17, false, 4 * block, copy_completed, 3 * block + 17},
          {0, false, 1, copy_completed, 0},
          {4, false, 4, copy_completed, 4},
          {5, false, 5, copy_completed, 5},
          {block, false, 3, copy_write_failed, 3},
          {block, false, 4, copy_version_write_failed, 4},
          {block, false, 5, copy_write_failed, 5},
          {3 * block, false, block + 9, copy_write_failed, block + 9},
          {block + 5, true, 2 * block, copy_read_failed, block}}) {
        faulty_buffer faulty(map_bytes(readable), read_fails, capacity);
        std::istream source(&faulty);
        std::ostream target(&faulty);
        EXPECT_EQ(copy_with_version(source, target, version_rtcw), outcome) << readable;
        EXPECT_TRUE(faulty.written() == map_bytes(written, '/')) << capacity;
    }
}

}  // namespace
}  // namespace lumvert

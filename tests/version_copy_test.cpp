#include "convert/version_copy.hpp"
#include "tests/same_bytes.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace lumvert {
namespace {

constexpr std::size_t block = std::size_t{128} * 1024;

// A source that hands out `readable` bytes and then fails the next read the way a file buffer
// does, and a target that takes `capacity` bytes and then refuses more, like a full disk.
class faulty_buffer : public std::streambuf {
public:
    faulty_buffer(std::string readable, std::size_t capacity)
        : bytes_(std::move(readable)), room_(capacity, '\0')
    {
        setg(bytes_.data(), bytes_.data(), bytes_.data() + bytes_.size());
        setp(room_.data(), room_.data() + capacity);
    }
    std::string written() const { return {pbase(), pptr()}; }

protected:
    int_type underflow() override { throw std::ios_base::failure("EIO"); }

private:
    std::string bytes_, room_;
};

// A Q3A header with the given version byte, then bytes that differ from their neighbours.
std::string map_bytes(std::size_t size, char version = '.')
{
    std::string bytes = std::string("IBSP") + version;
    for (std::size_t i = 5; i < size; ++i) bytes += static_cast<char>(i * 7);
    return bytes.substr(0, size);
}

TEST(VersionCopy, ReplacesByteFourAcrossBlocks)
{
    for (const std::size_t size : {block - 1, block, block + 1, 3 * block + 17}) {
        std::istringstream source(map_bytes(size));
        std::ostringstream target;
        EXPECT_EQ(copy_with_version(source, target, version_rtcw), copy_completed);
        EXPECT_TRUE(same_bytes(target.str(), map_bytes(size, '/'))) << size;
    }
}

TEST(VersionCopy, StopsAtTheFailedReadOrWrite)
{
    const struct {
        std::size_t readable, capacity;
        copy_outcome outcome;
        std::size_t written;
    } rows[] = {{block * 3, 0, copy_write_failed, 0},
                {block * 3, 3, copy_write_failed, 3},
                {block * 3, 4, copy_version_write_failed, 4},
                {block * 3, 5, copy_write_failed, 5},
                {block * 3, block + 9, copy_write_failed, block + 9},
                {0, block, copy_read_failed, 0},
                {3, block, copy_read_failed, 0},
                {block + 5, 2 * block, copy_read_failed, block}};
    for (const auto& row : rows) {
        faulty_buffer faulty(map_bytes(row.readable), row.capacity);
        std::istream source(&faulty);
        std::ostream target(&faulty);
        EXPECT_EQ(copy_with_version(source, target, version_rtcw), row.outcome) << row.capacity;
        EXPECT_TRUE(same_bytes(faulty.written(), map_bytes(row.written, '/')));
    }
    std::istringstream failed("12345");
    failed.setstate(std::ios::failbit);
    std::ostringstream target;
    EXPECT_EQ(copy_with_version(failed, target, version_rtcw), copy_read_failed);
}

}  // namespace
}  // namespace lumvert

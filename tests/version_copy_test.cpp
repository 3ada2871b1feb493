#include "convert/version_copy.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace lumvert {
namespace {

constexpr std::size_t block = 128 * 1024;

// A Q3A header ("IBSP", version 46) with non-zero bytes 5 to 7 and a body.
std::string map_bytes(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i < 5 ? "IBSP\x2e"[i] : i * 7 + 3);
    }
    return bytes;
}

std::string with_version(std::string bytes, unsigned char version)
{
    if (bytes.size() > 4) {
        bytes[4] = static_cast<char>(version);
    }
    return bytes;
}

// Takes `capacity` bytes, then refuses more, like a disk that fills up.
class full_after : public std::streambuf {
public:
    explicit full_after(std::size_t capacity) : storage_(capacity, '\0')
    {
        setp(storage_.data(), storage_.data() + capacity);
    }
    std::string written() const { return {pbase(), pptr()}; }

private:
    std::string storage_;
};

// Hands out `bytes`, then fails the next read the way a file buffer does.
class failing_source : public std::streambuf {
public:
    explicit failing_source(std::string bytes) : bytes_(std::move(bytes))
    {
        setg(bytes_.data(), bytes_.data(), bytes_.data() + bytes_.size());
    }

protected:
    int_type underflow() override { throw std::ios_base::failure("EIO"); }

private:
    std::string bytes_;
};

TEST(VersionCopy, ReplacesOnlyByteFourAtAnySize)
{
    const std::size_t sizes[] = {0, 1, 4, 5, 144, block - 1, block, block + 1, 3 * block + 17};
    for (const std::size_t size : sizes) {
        for (const unsigned char version : {version_q3a, version_rtcw}) {
            SCOPED_TRACE(std::to_string(size) + " bytes to " + std::to_string(version));
            std::istringstream source(map_bytes(size));
            std::ostringstream target;
            EXPECT_EQ(copy_with_version(source, target, version), copy_completed);
            EXPECT_EQ(target.str(), with_version(map_bytes(size), version));
        }
    }
}

TEST(VersionCopy, WriteFailureStopsAtTheRefusedByte)
{
    const struct { std::size_t capacity; copy_outcome outcome; } rows[] = {
        {0, copy_write_failed}, {3, copy_write_failed},
        {4, copy_version_write_failed}, {5, copy_write_failed},
        {block, copy_write_failed}, {2 * block + 9, copy_write_failed}};
    const std::string expected = with_version(map_bytes(2 * block + 10), version_rtcw);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.capacity);
        std::istringstream source(map_bytes(2 * block + 10));
        full_after disk(row.capacity);
        std::ostream target(&disk);
        EXPECT_EQ(copy_with_version(source, target, version_rtcw), row.outcome);
        EXPECT_EQ(disk.written(), expected.substr(0, row.capacity));
    }
}

TEST(VersionCopy, ReadFailureEndsTheCopyWithoutInventingBytes)
{
    const struct { std::size_t readable, written; } rows[] = {
        {0, 0}, {3, 0}, {block, block}, {block + 5, block}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.readable);
        failing_source broken(map_bytes(row.readable));
        std::istream source(&broken);
        std::ostringstream target;
        EXPECT_EQ(copy_with_version(source, target, version_rtcw), copy_read_failed);
        EXPECT_EQ(target.str(), with_version(map_bytes(row.written), version_rtcw));
    }
    std::istringstream failed(map_bytes(10));
    failed.setstate(std::ios::failbit);
    std::ostringstream target;
    EXPECT_EQ(copy_with_version(failed, target, version_rtcw), copy_read_failed);
    EXPECT_EQ(target.str(), "");
}

}  // namespace
}  // namespace lumvert

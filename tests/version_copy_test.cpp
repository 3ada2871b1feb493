#include "convert/version_copy.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace lumvert {

// A pipe in packet mode hands over a map three bytes a read. A short read must neither end the
// copy nor move the version byte. The run sequence's tests cover files and faults.
TEST(VersionCopy, ReadsAPipeInPieces)
{
    const std::pair<std::string, std::string> rows[] = {
        {{"IBSP.\0\0\0\r\n\x1a\r\n", 13}, {"IBSP/\0\0\0\r\n\x1a\r\n", 13}}, {"IBSP", "IBSP"}};
    for (const auto& [map, converted] : rows) {
        int source[2] = {-1, -1};
        ASSERT_EQ(pipe2(source, O_DIRECT), 0);
        for (std::size_t at = 0; at < map.size(); at += 3) {
            EXPECT_GT(write(source[1], map.substr(at, 3).data(), map.substr(at, 3).size()), 0);
        }
        close(source[1]);
        const int target = memfd_create("target", 0);
        EXPECT_EQ(copy_with_version(source[0], target, version_rtcw), copy_completed);
        std::string copy(64, '\0');
        copy.resize(static_cast<std::size_t>(pread(target, copy.data(), copy.size(), 0)));
        EXPECT_EQ(copy, converted);
        close(source[0]);
        close(target);
    }
}

}  // namespace lumvert

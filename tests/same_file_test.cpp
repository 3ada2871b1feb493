#include "convert/version_copy.hpp"
#include "frontend/file_identity.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace lumvert {

namespace fs = std::filesystem;

// Two files as the system describes them, and whether they may be one file.
struct identity_row {
    const char* what;
    file_identity first;
    file_identity second;
    bool one;
};

// The file on another volume, changed as the row says.
template <typename change_type> file_identity elsewhere(file_identity file, change_type change)
{
    file.volume = 8;
    change(file);
    return file;
}

TEST(MayBeOneFile, TellsOneFileFromTwo)
{
    const file_identity map{file_kind::regular, true, 7, 0, 42, 1000, {100, 5}, {200, 6}};
    // sshfs and FAT give whole seconds, and number their files alike from the start.
    file_identity whole = map;
    whole.modified.nanoseconds = whole.changed.nanoseconds = 0;
    const auto same = [](file_identity&) {};
    const identity_row rows[] = {
        {"same volume and ID", map, elsewhere(map, [](file_identity& f) { f.volume = 7; }), true},
        {"another volume, all else equal", map, elsewhere(map, same), true},
        {"another size", map, elsewhere(map, [](file_identity& f) { f.size = 999; }), false},
        {"another modification time", map,
         elsewhere(map,
                   [](file_identity& f) {
                       f.modified = {100, 6};
                   }),
         false},
        {"another change time", map,
         elsewhere(map,
                   [](file_identity& f) {
                       f.changed = {200, 7};
                   }),
         false},
        {"equal whole-second times", whole, elsewhere(whole, same), false},
        {"another ID", map, elsewhere(map, [](file_identity& f) { f.id_low = 43; }), false},
        {"IDs apart in their upper half", map,
         elsewhere(map, [](file_identity& f) { f.id_high = 1; }), false},
        {"another kind, same volume", map,
         elsewhere(map,
                   [](file_identity& f) {
                       f.volume = 7;
                       f.kind = file_kind::device;
                   }),
         false},
        {"nothing known of it", map, elsewhere(map, [](file_identity& f) { f.known = false; }),
         true},
    };
    for (const identity_row& row : rows) {
        EXPECT_EQ(may_be_one_file(row.first, row.second), row.one) << row.what;
    }
}

// Two descriptors of one file, as a target that is the source under a name no identity shows:
// the file ends as the converted map, every byte in place, across the kernel-copied blocks.
TEST(CopyWithVersion, ConvertsOneFileInPlace)
{
    const fs::path name = fs::temp_directory_path() / ("lumvert_one_" + std::to_string(getpid()));
    std::string map("IBSP.\0\0\0", 8);
    for (std::size_t i = map.size(); i < 3 * 128 * 1024 + 5; ++i) map += static_cast<char>(i * 7);
    std::ofstream(name, std::ios::binary) << map;
    const int source = open_source(name);
    const int target = open_target(name);
    const auto block = std::make_unique<copy_block>();
    const copy_result copied = copy_with_version(source, target, version_rtcw, *block);
    close(source);
    close(target);
    std::ostringstream bytes;
    bytes << std::ifstream(name, std::ios::binary).rdbuf();
    fs::remove(name);
    EXPECT_EQ(copied.outcome, copy_completed);
    EXPECT_EQ(copied.length, map.size());
    map[4] = static_cast<char>(version_rtcw);
    EXPECT_EQ(bytes.str(), map);
}

}  // namespace lumvert

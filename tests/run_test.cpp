#include "frontend/run.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace lumvert {
namespace {

namespace fs = std::filesystem;

const std::string banner = "\nTarvel Map Converter 0.3\t\t\tDec 2001"
                           "\nlumvert: Q3A maps (BSP 46) to RTCW maps (BSP 47) and back"
                           "\nCheck for Updates at: the lumvert source repository\n";
const std::string usage = "\n\nUse:\t\tlumvert [options] source target"
                          "\nOptions are:\t-u Undo (RTCW converted map back to Q3A)"
                          "\n\nExample:\tlumvert mymap.bsp mywolfmap.bsp"
                          "\nExample:\tlumvert -u mywolfmap.bsp myquakemap.bsp";
const std::string hints = "\nSeems to be successfull!\n\n"
                          "If you have trouble loading the map file:\n"
                          "-----------------------------------------\n"
                          "- run RTCW with paramaters: +sv_cheats 1\n"
                          "- be sure to set in the console: \\sv_pure 0\n"
                          "- load map in console with: \\devmap mymap\n";
const std::string q3a_map =
    std::string("IBSP\x2e\0\x01\0\r\n\x1a", 11) + std::string(300000, '\xff');
const std::string rtcw_map = std::string(q3a_map).replace(4, 1, "\x2f");

std::string read_file(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

std::string quoted(const std::string& text)
{
    std::string shell = "'";
    for (const char c : text) shell += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return shell + "'";
}

// Runs the built tool in a folder of map files, each row after the last, and checks what
// every run must leave alone: the maps, and the folder but for a converted target.
TEST(RunLumvert, PrintsExactlyAndSparesTheMaps)
{
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string output, target = {}, bytes = {};
    } rows[] = {{{}, 1, usage},
                {{"map.bsp"}, 1, usage},
                {{"-u", "map.bsp", "a.bsp", "b.bsp"}, 1, usage},
                {{"map.bsp", "a.bsp", "b.bsp"}, 4, usage},
                {{"", "map.bsp", "a.bsp"}, 4, usage},
                {{"-x", "map.bsp", "old.bsp"}, 4, usage},
                {{"-", "map.bsp", "old.bsp"}, 4, usage},
                {{"--", "map.bsp", "old.bsp"}, 4, usage},
                {{"-U", "map.bsp", "old.bsp"}, 4, usage},
                {{"map.bsp", "rtcw.bsp"}, 0, hints, "rtcw.bsp", rtcw_map},
                {{"-u", "rtcw.bsp", "q3a.bsp"}, 0, hints, "q3a.bsp", q3a_map},
                {{"-undo", "map.bsp", "undo.bsp"}, 0, hints, "undo.bsp", q3a_map},
                {{"-ux", "rtcw.bsp", "ux.bsp"}, 0, hints, "ux.bsp", q3a_map},
                {{"five.bsp", "five47.bsp"}, 0, hints, "five47.bsp", "1234/"},
                {{"-u", "five47.bsp", "five46.bsp"}, 0, hints, "five46.bsp", "1234."},
                {{"four.bsp", "four47.bsp"}, 0, hints, "four47.bsp", "1234"},
                {{"empty.bsp", "empty47.bsp"}, 0, hints, "empty47.bsp", ""},
                {{"five.bsp", "rtcw.bsp"}, 0, hints, "rtcw.bsp", "1234/"},
                {{"missing.bsp", "old.bsp"}, 2, "Error opening file!"},
                {{"dir", "old.bsp"}, 2, "Error opening file!"},
                {{"", "old.bsp"}, 2, "Error opening file!"},
                {{"/proc/self/mem", "../mem.bsp"}, 2, "Error reading file!"},
                {{"map.bsp", "missing/out.bsp"}, 3, "Error writing file!"},
                {{"map.bsp", ""}, 3, "Error writing file!"},
                {{"map.bsp", "map.bsp"}, 3, "Source and target are the same file!"},
                {{"-u", "map.bsp", "./map.bsp"}, 3, "Source and target are the same file!"},
                {{"map.bsp", "dir/../map.bsp"}, 3, "Source and target are the same file!"},
                {{"map.bsp", "hard.bsp"}, 3, "Source and target are the same file!"},
                {{"map.bsp", "soft.bsp"}, 3, "Source and target are the same file!"},
                {{"five.bsp", "/dev/full"}, 4, "Error during writing file!"},
                {{"map.bsp", "/dev/full"}, 4, "Error during writing file!"}};
    const fs::path root = fs::temp_directory_path() / "lumvert_run_test", work = root / "work";
    fs::remove_all(root);
    fs::create_directories(work / "dir");
    const std::pair<const char*, std::string> maps[] = {{"map.bsp", q3a_map},
                                                        {"five.bsp", "12345"},
                                                        {"four.bsp", "1234"},
                                                        {"empty.bsp", ""},
                                                        {"old.bsp", "old"}};
    for (const auto& [name, bytes] : maps) std::ofstream(work / name, std::ios::binary) << bytes;
    fs::create_hard_link(work / "map.bsp", work / "hard.bsp");
    fs::create_symlink("map.bsp", work / "soft.bsp");
    for (const auto& row : rows) {
        std::string command = "cd " + quoted(work.string()) + " && " + quoted(LUMVERT_PATH);
        for (const auto& argument : row.arguments) command += " " + quoted(argument);
        SCOPED_TRACE(command);
        const auto entries = std::distance(fs::directory_iterator(work), {});
        const bool creates = !row.target.empty() && !fs::exists(work / row.target);
        const int raw = std::system((command + " >" + quoted((root / "out").string())).c_str());
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, row.status);
        EXPECT_EQ(read_file(root / "out"), banner + row.output);
        for (const auto& [name, bytes] : maps) EXPECT_EQ(read_file(work / name), bytes) << name;
        EXPECT_EQ(std::distance(fs::directory_iterator(work), {}), entries + creates);
        if (!row.target.empty()) {
            EXPECT_EQ(read_file(work / row.target), row.bytes);
        }
    }
    fs::remove_all(root);
}

TEST(RunLumvert, ReportsEachCopyFailureWithItsStatus)
{
    const struct {
        copy_outcome outcome;
        int status;
        const char* message;
    } rows[] = {{copy_completed, 0, ""},
                {copy_version_write_failed, 5, "Error during writing file at sensible part!"},
                {copy_write_failed, 4, "Error during writing file!"},
                {copy_read_failed, 2, "Error reading file!"}};
    for (const auto& row : rows) {
        std::ostringstream captured;
        std::streambuf* const console = std::cout.rdbuf(captured.rdbuf());
        const int status = report_copy_failure(row.outcome);
        std::cout.rdbuf(console);
        EXPECT_EQ(status, row.status);
        EXPECT_EQ(captured.str(), row.message);
    }
}

}  // namespace
}  // namespace lumvert

#include "frontend/run.hpp"
#include "tests/same_bytes.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#endif

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
// A Q3A map whose body is full of the bytes that a text-mode stream would translate.
const std::string q3a_map = [] {
    std::string map("IBSP\x2e\0\x01\0", 8);
    while (map.size() < 300000) map += "\r\n\x1a\xff";
    return map;
}();
const std::string rtcw_map = std::string(q3a_map).replace(4, 1, "\x2f");
const std::string same_file = "Source and target are the same file!";

struct run_case {
    std::vector<std::string> arguments;
    int status;
    std::string output, target = {}, bytes = {};
};

std::string read_file(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

#ifdef _WIN32
// cmd.exe runs the command line, the C runtime splits it at the quotes, and the console turns
// each "\n" into "\r\n".
std::string quoted(const std::string& text) { return '"' + text + '"'; }
std::string command_in(const fs::path& folder)
{
    return "cd /d " + quoted(folder.string()) + " && ";
}
int exit_status(int raw) { return raw; }
std::string console_text(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}
#else
std::string quoted(const std::string& text)
{
    std::string shell = "'";
    for (const char c : text) shell += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return shell + "'";
}
std::string command_in(const fs::path& folder) { return "cd " + quoted(folder.string()) + " && "; }
int exit_status(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1; }
std::string console_text(std::string text) { return text; }
#endif

// Runs the built tool on each case in turn, in a folder of maps, and checks what every run must
// leave alone: the maps, and the folder but for a converted target.
void check_runs(const std::vector<run_case>& cases)
{
    const std::string tool = fs::absolute(LUMVERT_NAME).string();
    const fs::path root =
        fs::temp_directory_path() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    const fs::path work = root / "work";
    fs::remove_all(root);
    fs::create_directories(work / "dir");
    const std::pair<const char*, std::string> maps[] = {{"map.bsp", q3a_map},
                                                        {"five.bsp", "12345"},
                                                        {"four.bsp", "1234"},
                                                        {"empty.bsp", ""},
                                                        {"old.bsp", "old"}};
    for (const auto& [name, bytes] : maps) std::ofstream(work / name, std::ios::binary) << bytes;
    fs::create_hard_link(work / "map.bsp", work / "hard.bsp");
#ifndef _WIN32
    fs::create_symlink("map.bsp", work / "soft.bsp");
#endif
    for (const auto& run : cases) {
        std::string command = command_in(work) + quoted(tool);
        for (const auto& argument : run.arguments) command += " " + quoted(argument);
        SCOPED_TRACE(command);
        const auto entries = std::distance(fs::directory_iterator(work), {});
        const bool creates = !run.target.empty() && !fs::exists(work / run.target);
        const int raw = std::system((command + " >" + quoted((root / "out").string())).c_str());
        EXPECT_EQ(exit_status(raw), run.status);
        EXPECT_EQ(console_text(read_file(root / "out")), banner + run.output);
        for (const auto& [name, bytes] : maps) {
            EXPECT_TRUE(same_bytes(read_file(work / name), bytes)) << name;
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(work), {}), entries + creates);
        if (!run.target.empty()) {
            EXPECT_TRUE(same_bytes(read_file(work / run.target), run.bytes));
        }
    }
    fs::remove_all(root);
}

TEST(RunLumvert, PrintsExactlyAndSparesTheMaps)
{
    check_runs({{{}, 1, usage},
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
                {{"map.bsp", "missing/out.bsp"}, 3, "Error writing file!"},
                {{"map.bsp", "dir"}, 3, "Error writing file!"},
                {{"map.bsp", ""}, 3, "Error writing file!"},
                {{"map.bsp", "map.bsp"}, 3, same_file},
                {{"-u", "map.bsp", "./map.bsp"}, 3, same_file},
                {{"map.bsp", "dir/../map.bsp"}, 3, same_file},
                {{"map.bsp", "hard.bsp"}, 3, same_file}});
}

TEST(RunLumvert, FailsOnUnreadableSourcesFullDisksAndLinks)
{
#ifdef _WIN32
    GTEST_SKIP() << "/proc/self/mem, /dev/full and symbolic links made by std::filesystem "
                    "exist only on POSIX systems";
#else
    check_runs({{{"/proc/self/mem", "../mem.bsp"}, 2, "Error reading file!"},
                {{"map.bsp", "soft.bsp"}, 3, same_file},
                {{"five.bsp", "/dev/full"}, 4, "Error during writing file!"},
                {{"map.bsp", "/dev/full"}, 4, "Error during writing file!"}});
#endif
}

TEST(RunLumvert, KnowsTheSourceInAnyLetterCaseOnWindows)
{
#ifndef _WIN32
    GTEST_SKIP() << "names in another letter case name other files here";
#else
    check_runs({{{"map.bsp", "MAP.BSP"}, 3, same_file},
                {{"-u", "Map.Bsp", "map.bsp"}, 3, same_file},
                {{"map.bsp", "DIR\\..\\Map.bsp"}, 3, same_file}});
#endif
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

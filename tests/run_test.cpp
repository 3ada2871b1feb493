#include "frontend/run.hpp"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace lumvert {
namespace {

namespace fs = std::filesystem;

const std::string banner =
    "\nTarvel Map Converter 0.3\t\t\tDec 2001"
    "\nlumvert: Q3A maps (BSP 46) to RTCW maps (BSP 47) and back"
    "\nCheck for Updates at: the lumvert source repository\n";
const std::string usage =
    "\n\nUse:\t\tlumvert [options] source target"
    "\nOptions are:\t-u Undo (RTCW converted map back to Q3A)"
    "\n\nExample:\tlumvert mymap.bsp mywolfmap.bsp"
    "\nExample:\tlumvert -u mywolfmap.bsp myquakemap.bsp";
const std::string hints =
    "\nSeems to be successfull!\n\nIf you have trouble loading the map file:\n"
    "-----------------------------------------\n"
    "- run RTCW with paramaters: +sv_cheats 1\n"
    "- be sure to set in the console: \\sv_pure 0\n"
    "- load map in console with: \\devmap mymap\n";
const std::string q3a_map = std::string("IBSP\x2e\0\0\0", 8) + "\r\n\x1a body";

std::string read_file(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

void write_file(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string quoted(const std::string& argument)
{
    std::string text = "'";
    for (const char c : argument) {
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return text + "'";
}

// Runs the built tool in `work` and keeps its standard output outside it,
// so that `work` shows every file the tool touched.
class RunLumvert : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::temp_directory_path() / (std::string("lumvert_") + test->name());
        fs::remove_all(root_);
        fs::create_directories(work_ = root_ / "work");
    }
    void TearDown() override { fs::remove_all(root_); }

    int run(const std::vector<std::string>& arguments)
    {
        std::string command = "cd " + quoted(work_.string()) + " && " + quoted(LUMVERT_PATH);
        for (const auto& argument : arguments) {
            command += " " + quoted(argument);
        }
        const int raw = std::system((command + " >" + quoted((root_ / "out").string())).c_str());
        output_ = read_file(root_ / "out");
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    fs::path root_, work_;
    std::string output_;
};

TEST_F(RunLumvert, ArgumentErrorsPrintUsageAndOpenNothing)
{
    const struct { std::vector<std::string> arguments; int status; } rows[] = {
        {{}, 1}, {{"a.bsp"}, 1}, {{"-u", "a.bsp", "b.bsp", "c.bsp"}, 1},
        {{"a.bsp", "b.bsp", "c.bsp"}, 4}, {{"-x", "a.bsp", "b.bsp"}, 4},
        {{"-", "a.bsp", "b.bsp"}, 4}, {{"--", "a.bsp", "b.bsp"}, 4},
        {{"-U", "a.bsp", "b.bsp"}, 4}, {{"", "a.bsp", "b.bsp"}, 4}};
    write_file(work_ / "a.bsp", q3a_map);
    write_file(work_ / "b.bsp", "old");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.size());
        EXPECT_EQ(run(row.arguments), row.status);
        EXPECT_EQ(output_, banner + usage);
        EXPECT_EQ(read_file(work_ / "a.bsp"), q3a_map);
        EXPECT_EQ(read_file(work_ / "b.bsp"), "old");
        EXPECT_EQ(std::distance(fs::directory_iterator(work_), {}), 2);
    }
}

TEST_F(RunLumvert, ConvertsForwardAndBackExactly)
{
    const struct { std::string option, source; char version; } rows[] = {
        {"", q3a_map, 47}, {"-u", q3a_map, 46}, {"-undo", q3a_map, 46},
        {"-ux", q3a_map, 46}, {"", "12345", 47}, {"-u", "1234/", 46},
        {"", "", 0}, {"-u", "1234", 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.option + " on " + std::to_string(row.source.size()) + " bytes");
        write_file(work_ / "in.bsp", row.source);
        std::vector<std::string> arguments{"in.bsp", "mywolfmap.bsp"};
        if (!row.option.empty()) {
            arguments.insert(arguments.begin(), row.option);
        }
        std::string expected = row.source;
        if (expected.size() > 4) {
            expected[4] = row.version;
        }
        EXPECT_EQ(run(arguments), 0);
        EXPECT_EQ(output_, banner + hints);
        EXPECT_EQ(read_file(work_ / "mywolfmap.bsp"), expected);
    }
    write_file(work_ / "in.bsp", q3a_map);
    EXPECT_EQ(run({"in.bsp", "rtcw.bsp"}), 0);
    EXPECT_EQ(run({"-u", "rtcw.bsp", "back.bsp"}), 0);
    EXPECT_EQ(read_file(work_ / "back.bsp"), q3a_map);
}

TEST_F(RunLumvert, FailuresSpareTheMapAndTellWhichStepFailed)
{
    const struct { std::vector<std::string> arguments; int status; std::string message; } rows[] = {
        {{"missing.bsp", "old.bsp"}, 2, "Error opening file!"},
        {{"dir", "old.bsp"}, 2, "Error opening file!"},
        {{"", "old.bsp"}, 2, "Error opening file!"},
        {{"/proc/self/mem", "mem.bsp"}, 2, "Error reading file!"},
        {{"map.bsp", "missing/out.bsp"}, 3, "Error writing file!"},
        {{"map.bsp", ""}, 3, "Error writing file!"},
        {{"map.bsp", "map.bsp"}, 3, "Source and target are the same file!"},
        {{"-u", "map.bsp", "./map.bsp"}, 3, "Source and target are the same file!"},
        {{"map.bsp", "dir/../map.bsp"}, 3, "Source and target are the same file!"},
        {{"map.bsp", "hard.bsp"}, 3, "Source and target are the same file!"},
        {{"map.bsp", "soft.bsp"}, 3, "Source and target are the same file!"},
        {{"map.bsp", "/dev/full"}, 4, "Error during writing file!"},
        {{"big.bsp", "/dev/full"}, 4, "Error during writing file!"}};
    const std::string big = std::string(1 << 20, 'x');
    write_file(work_ / "map.bsp", q3a_map);
    write_file(work_ / "big.bsp", big);
    write_file(work_ / "old.bsp", "old");
    fs::create_directory(work_ / "dir");
    fs::create_hard_link(work_ / "map.bsp", work_ / "hard.bsp");
    fs::create_symlink("map.bsp", work_ / "soft.bsp");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.front() + " " + row.arguments.back());
        EXPECT_EQ(run(row.arguments), row.status);
        EXPECT_EQ(output_, banner + row.message);
        EXPECT_EQ(read_file(work_ / "map.bsp"), q3a_map);
        EXPECT_EQ(read_file(work_ / "big.bsp"), big);
        EXPECT_EQ(read_file(work_ / "old.bsp"), "old");
    }
}

TEST(ReportCopyFailure, NamesTheFailedStepAndItsStatus)
{
    const struct { copy_outcome outcome; int status; const char* message; } rows[] = {
        {copy_completed, 0, ""},
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

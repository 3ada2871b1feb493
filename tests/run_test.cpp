#include "frontend/run.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

namespace lumvert {

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
const std::string same = "Source and target are the same file!";
// Full of the bytes that a text-mode stream would translate.
const std::string q3a("IBSP.\0\0\0\r\n\x1a\r\n", 13), rtcw = "IBSP/" + q3a.substr(5);

// Every file below the working folder, with its bytes.
std::map<std::string, std::string> files()
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(".")) {
        std::ostringstream bytes;
        bytes << std::ifstream(entry.path(), std::ios::binary).rdbuf();
        files[entry.path().generic_u8string()] = bytes.str();
    }
    return files;
}

// Each row runs the tool in-process in a folder of maps. Its text is the message of a refusal,
// which leaves the folder as it was, or the bytes that a conversion (status 0) gives the target.
TEST(RunLumvert, PrintsExactlyAndSparesTheMaps)
{
    const std::tuple<std::vector<std::string>, int, std::string> rows[] = {
        {{"map.bsp"}, 1, usage},
        {{"-u", "map.bsp", "a.bsp", "b.bsp"}, 1, usage},
        {{"au.bsp", "map.bsp", "old.bsp"}, 4, usage},
        {{"-U", "wolf.bsp", "old.bsp"}, 4, usage},
        {{"missing.bsp", "old.bsp"}, 2, "Error opening file!"},
        {{"café", "old.bsp"}, 2, "Error opening file!"},
        {{"map.bsp", "missing/new.bsp"}, 3, "Error writing file!"},
        {{"map.bsp", "hard.bsp"}, 3, same},
        {{"-u", "карта.bsp", "./карта.bsp"}, 3, same},
        {{"карта.bsp", "地图.bsp"}, 0, rtcw},
        {{"-undo", "wolf.bsp", "old.bsp"}, 0, q3a},
#ifdef _WIN32
        {{"map.bsp", "MAP.BSP"}, 3, same},
#else
        {{"map.bsp", "soft.bsp"}, 3, same},
        {{"map.bsp", "loop.bsp"}, 3, same},
        {{"/proc/self/mem", "/dev/null"}, 2, "Error reading file!"},
        {{"map.bsp", "/dev/full"}, 4, "Error during writing file!"},
        {{"caf\xe9.bsp", "caf\xe9-rtcw.bsp"}, 0, rtcw},
#endif
    };
    fs::current_path(fs::temp_directory_path());
    fs::remove_all("lumvert_maps");
    fs::create_directories(fs::u8path("lumvert_maps/café"));
    fs::current_path("lumvert_maps");
    std::ofstream("map.bsp", std::ios::binary) << q3a;
    std::ofstream("wolf.bsp", std::ios::binary) << rtcw;
    std::ofstream("old.bsp") << "a longer, older map";
    fs::create_hard_link("map.bsp", "hard.bsp");
    fs::create_hard_link("map.bsp", fs::u8path("карта.bsp"));
#ifndef _WIN32
    fs::create_symlink("map.bsp", "soft.bsp");
    fs::create_symlink("loop.bsp", "loop.bsp");
    fs::create_hard_link("map.bsp", "caf\xe9.bsp");
#endif
    std::ostringstream console;
    std::streambuf* const stdout_buffer = std::cout.rdbuf(console.rdbuf());
    for (const auto& [arguments, status, text] : rows) {
        SCOPED_TRACE(testing::PrintToString(arguments));
        std::vector<fs::path> argv{"lumvert"};
        for (const auto& argument : arguments) argv.push_back(fs::u8path(argument));
        auto expected = files();
        if (status == 0) expected["./" + arguments.back()] = text;
        console.str("");
        EXPECT_EQ(run_lumvert(argv), status);
        EXPECT_EQ(console.str(), banner + (status == 0 ? hints : text));
        EXPECT_EQ(files(), expected);
    }
    // No real file fails at the version byte alone: that byte goes into the stream's buffer.
    console.str("");
    EXPECT_EQ(report_copy_failure(copy_version_write_failed), 5);
    EXPECT_EQ(console.str(), "Error during writing file at sensible part!");
    std::cout.rdbuf(stdout_buffer);
}

}  // namespace lumvert

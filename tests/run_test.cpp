#include "frontend/run.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <unistd.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#endif

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
// Full of the bytes that a text-mode stream would translate.
std::string converted(const std::string& map) { return "IBSP/" + map.substr(5); }
const std::string q3a("IBSP.\0\0\0\r\n\x1a\r\n", 13), rtcw = converted(q3a);

// A fresh folder of this process's own, current while it lives and removed after.
struct scratch_folder {
    const fs::path path = fs::temp_directory_path() / ("lumvert_test_" + std::to_string(getpid()));
    scratch_folder() { fs::remove_all(path), fs::create_directory(path), fs::current_path(path); }
    ~scratch_folder() { fs::current_path(path.parent_path()), fs::remove_all(path); }
};

// Every file below the working folder, with its bytes (none for a folder).
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

constexpr std::uint64_t no_limit = UINT64_MAX;

// Runs `run` with every write past `limit` bytes of a file failing. SIGXFSZ
// stays as it is: a run that does not ignore it ends the test.
template <class Run> auto with_file_size_limit([[maybe_unused]] std::uint64_t limit, Run run)
{
#ifdef _WIN32
    return run();
#else
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit lowered{limit < saved.rlim_cur ? limit : saved.rlim_cur, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &lowered);
    const auto result = run();
    setrlimit(RLIMIT_FSIZE, &saved);
    return result;
#endif
}

#ifdef _WIN32
// The folder under a second drive letter: under Wine, which takes drive letters from its prefix
// alone, Z: (the Unix root); on Windows, Y: made as subst makes it, for the test's length.
std::string on_second_drive(const fs::path& folder)
{
    using unix_name_of = char* (*)(const wchar_t*);
    const auto unix_name = reinterpret_cast<unix_name_of>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (unix_name)
        return (L"Z:\\" / fs::u8path(unix_name(folder.c_str())).relative_path()).u8string();
    EXPECT_TRUE(DefineDosDeviceW(0, L"Y:", folder.c_str()));
    return "Y:";
}
#else
// Names a pipe in packet mode that hands over the bytes a piece a read and then ends: a short read
// is not the end, and the kernel cannot copy from a pipe.
std::string in_pipe(const std::string& bytes, std::size_t piece)
{
    int ends[2] = {-1, -1};
    EXPECT_EQ(pipe2(ends, O_DIRECT), 0);
    EXPECT_EQ(fcntl(ends[1], F_SETPIPE_SZ, 1 << 20), 1 << 20);
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        EXPECT_GT(write(ends[1], bytes.data() + at, std::min(piece, bytes.size() - at)), 0);
    }
    close(ends[1]);
    return "/proc/self/fd/" + std::to_string(ends[0]);
}

// Names a file in memory that holds the bytes and that the kernel refuses to shrink.
std::string unshrinkable(const std::string& bytes)
{
    const int file = memfd_create("map", MFD_ALLOW_SEALING);
    EXPECT_EQ(write(file, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    EXPECT_EQ(fcntl(file, F_ADD_SEALS, F_SEAL_SHRINK), 0);
    return "/proc/self/fd/" + std::to_string(file);
}
#endif

// Each row runs the tool in-process on a folder of maps, under its file size limit. Its text is the
// message of a failure, after which only the limit's bytes are new, or the converted target, or
// empty where a device takes the map.
TEST(RunLumvert, PrintsExactlyAndSparesTheMaps)
{
    const scratch_folder folder;
#ifdef _WIN32
    const std::string alias = on_second_drive(folder.path);
#endif
    // Past its first 128 KiB block the kernel copies; bytes unlike their neighbours show a slip.
    std::string big = q3a;
    for (std::size_t i = big.size(); i < 2 * 128 * 1024 + 9; ++i) big += static_cast<char>(i * 7);
    const std::tuple<std::vector<std::string>, int, std::string, std::uint64_t> rows[] = {
        {{"map.bsp"}, 1, usage, no_limit},
        {{"-u", "map.bsp", "a.bsp", "b.bsp"}, 1, usage, no_limit},
        {{"au.bsp", "map.bsp", "old.bsp"}, 4, usage, no_limit},
        {{"-U", "wolf.bsp", "old.bsp"}, 4, usage, no_limit},
        {{"missing.bsp", "old.bsp"}, 2, "Error opening file!", no_limit},
        {{"café", "old.bsp"}, 2, "Error opening file!", no_limit},
        {{"map.bsp", std::string(300, 'x')}, 3, "Error writing file!", no_limit},
        {{"map.bsp", "карта.bsp"}, 3, "Source and target are the same file!", no_limit},
        {{"-u", "карта.bsp", "./карта.bsp"}, 3, "Source and target are the same file!", no_limit},
        {{"карта.bsp", "地图.bsp"}, 0, rtcw, no_limit},
        {{"-undo", "wolf.bsp", "old.bsp"}, 0, q3a, no_limit},
        {{"big.bsp", "big-rtcw.bsp"}, 0, converted(big), no_limit},
        {{"short.bsp", "short-rtcw.bsp"}, 0, "IBSP", no_limit},
#ifdef _WIN32
        {{"map.bsp", "MAP.BSP"}, 3, "Source and target are the same file!", no_limit},
        {{"map.bsp", "NUL"}, 0, "", no_limit},
        {{"map.bsp", alias + "\\map.bsp"}, 3, "Source and target are the same file!", no_limit},
#else
        {{"map.bsp", "soft.bsp"}, 3, "Source and target are the same file!", no_limit},
        {{"/proc/self/mem", "/dev/null"}, 2, "Error reading file!", no_limit},
        {{"map.bsp", "new.bsp"}, 4, "Error during writing file!", 3},
        {{"map.bsp", "new.bsp"}, 5, "Error during writing file at sensible part!", 4},
        {{"map.bsp", "new.bsp"}, 4, "Error during writing file!", 5},
        {{"big.bsp", "new.bsp"}, 4, "Error during writing file!", 128 * 1024 + 9},
        {{"caf\xe9.bsp", "caf\xe9-rtcw.bsp"}, 0, rtcw, no_limit},
        {{"big.bsp", "new.bsp"}, 0, converted(big), big.size()},
        {{in_pipe(big, 4096), "pipe-rtcw.bsp"}, 0, converted(big), no_limit},
        {{in_pipe(q3a, 3), "pieces-rtcw.bsp"}, 0, rtcw, no_limit},
        {{in_pipe(q3a, 3), "/dev/null"}, 0, "", no_limit},
        {{"map.bsp", unshrinkable(big)}, 3, "Error writing file!", no_limit},
#endif
    };
    fs::create_directory(fs::u8path("café"));
    std::ofstream("map.bsp", std::ios::binary) << q3a;
    std::ofstream("wolf.bsp", std::ios::binary) << rtcw;
    std::ofstream("old.bsp") << "a longer, older map";
    std::ofstream("big.bsp", std::ios::binary) << big;
    std::ofstream("short.bsp") << "IBSP";
    fs::create_hard_link("map.bsp", fs::u8path("карта.bsp"));
#ifndef _WIN32
    fs::create_symlink("map.bsp", "soft.bsp");
    fs::create_hard_link("map.bsp", "caf\xe9.bsp");
#endif
    std::ostringstream console;
    std::streambuf* const stdout_buffer = std::cout.rdbuf(console.rdbuf());
    for (const auto& [arguments, status, text, limit] : rows) {
        SCOPED_TRACE(testing::PrintToString(arguments) + " limit " + std::to_string(limit));
        std::vector<fs::path> paths(arguments.size());
        for (std::size_t i = 0; i < paths.size(); ++i) paths[i] = fs::u8path(arguments[i]);
        auto expected = files();
        if (status == 0 && !text.empty()) {
            expected["./" + arguments.back()] = text;
        }
        if (limit != no_limit) {
            expected["./" + arguments.back()] =
                converted(expected["./" + arguments[0]]).substr(0, limit);
        }
        console.str("");
        EXPECT_EQ(with_file_size_limit(limit, [&] { return run_lumvert(paths); }), status);
        EXPECT_EQ(console.str(), banner + (status == 0 ? hints : text));
        EXPECT_EQ(files(), expected);
    }
    std::cout.rdbuf(stdout_buffer);
#ifdef _WIN32
    if (alias == "Y:") DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"Y:", nullptr);
#endif
}

}  // namespace lumvert

#include "frontend/run.hpp"
#include "tests/harness.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <tuple>
#include <unistd.h>
#ifndef _WIN32
#include <sys/mman.h>
#include <sys/resource.h>
#include <thread>
#endif

namespace lumvert {

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

// A map past its first 128 KiB block, which the kernel copies, of bytes unlike their neighbours.
std::string big_map()
{
    std::string big = q3a;
    for (std::size_t i = big.size(); i < 2 * 128 * 1024 + 9; ++i) big += static_cast<char>(i * 7);
    return big;
}

constexpr std::uint64_t no_limit = UINT64_MAX;

// One run of the tool and all that it must leave behind.
struct run_row {
    std::vector<std::string> arguments;
    int status;
    std::string printed;                  // after the banner, unless standard output is `output`
    std::optional<std::string> target{};  // the last argument's bytes after; unset: no file changes
    std::uint64_t limit = no_limit;       // every write past this many bytes of a file fails
    std::string output{};                 // the file that standard output appends to, if any
    std::string input{};                  // the file that standard input reads, if any
};

// Runs the tool as a shell would start it: the row's names as the system passes them, its streams
// (output, flushed on both sides, into `console` unless the row names a file), its size limit, and
// every signal at its default, so that a run that does not ignore SIGXFSZ or SIGPIPE ends the test.
int run_as_started(const run_row& row, const std::string& console)
{
    started_arguments given(row.arguments);
    std::vector<file_name>& names = given.names;
    static_cast<void>(std::fflush(stdout));
    const redirection input(STDIN_FILENO, row.input, O_RDONLY);
    const redirection output(STDOUT_FILENO, row.output.empty() ? console : row.output,
                             O_WRONLY | O_CREAT | (row.output.empty() ? O_TRUNC : O_APPEND));
#ifdef _WIN32
    const int status = run_lumvert(static_cast<int>(names.size()), names.data());
#else
    static_cast<void>(std::signal(SIGXFSZ, SIG_DFL));
    static_cast<void>(std::signal(SIGPIPE, SIG_DFL));
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit lowered{std::min<rlim_t>(row.limit, saved.rlim_cur), saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &lowered);
    const int status = run_lumvert(static_cast<int>(names.size()), names.data());
    setrlimit(RLIMIT_FSIZE, &saved);
#endif
    static_cast<void>(std::fflush(stdout));
    return status;
}

#ifndef _WIN32
// Names a pipe in packet mode that hands over the bytes a piece a read and then ends: a short read
// is not the end, and the kernel cannot copy from a pipe. A pipe too small fails, never hangs.
std::string in_pipe(const std::string& bytes, std::size_t piece)
{
    int ends[2] = {-1, -1};
    EXPECT_EQ(pipe2(ends, O_DIRECT | O_NONBLOCK), 0);
    EXPECT_EQ(fcntl(ends[1], F_SETPIPE_SZ, 1 << 20), 1 << 20);
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        EXPECT_GT(write(ends[1], bytes.data() + at, std::min(piece, bytes.size() - at)), 0);
    }
    close(ends[1]);
    return "/proc/self/fd/" + std::to_string(ends[0]);
}

// Names a pipe whose reader leaves once it has more than the header, while the map is written.
std::string reader_leaves()
{
    int ends[2] = {-1, -1};
    EXPECT_EQ(pipe(ends), 0);
    std::thread([read_end = ends[0]] {
        char bytes[64];
        for (ssize_t got = 0, count = 1; got <= 5 && count > 0; got += count) {
            count = read(read_end, bytes, sizeof bytes);
        }
        close(read_end);
    }).detach();
    return "/proc/self/fd/" + std::to_string(ends[1]);
}

// Names a pipe whose reader has left.
std::string no_reader()
{
    int ends[2] = {-1, -1};
    EXPECT_EQ(pipe(ends), 0);
    close(ends[0]);
    return "/proc/self/fd/" + std::to_string(ends[1]);
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

// Each row runs the tool in-process on a folder of maps and checks its texts and every file after.
TEST(RunLumvert, PrintsExactlyAndSparesTheMaps)
{
    const fs::path start = fs::current_path();
    const scratch_folder folder;
#ifdef _WIN32
    const std::string null_device = "NUL";
    // Under Wine a file opened through a folder outside its prefix (the test's folder is inside) is
    // on another volume: one file under two volume serial numbers.
    const fs::path linked = start / ("lumvert_link_" + std::to_string(getpid()) + ".bsp");
#else
    const std::string null_device = "/dev/null";
    const std::size_t past_block = 128 * 1024 + 9;  // into the blocks the kernel copies
#endif
    const std::string same = "Source and target are the same file!",
                      writing = "Error writing file!", opening = "Error opening file!",
                      during = "Error during writing file!";
    const std::string older = "a longer, older map", big = big_map();
    const run_row rows[] = {
        {{"map.bsp"}, 1, usage},
        {{"-u", "map.bsp", "a.bsp", "b.bsp"}, 1, usage},
        {{"au.bsp", "map.bsp", "old.bsp"}, 4, usage},
        {{"-U", "wolf.bsp", "old.bsp"}, 4, usage},
        {{"missing.bsp", "old.bsp"}, 2, opening},
        {{"café", "old.bsp"}, 2, opening},
        {{"map.bsp", std::string(300, 'x')}, 3, writing},
        {{"map.bsp", "карта.bsp"}, 3, same},
        {{"карта.bsp", "地图.bsp"}, 0, hints, rtcw},
        {{"big.bsp", "big-rtcw.bsp"}, 0, hints, converted(big)},
        {{"short.bsp", "short-rtcw.bsp"}, 0, hints, "IBSP"},
        // Standard output appends to a file the arguments name: no text, and no file opened.
        {{"map.bsp", "new.bsp"}, 2, "", {}, no_limit, "map.bsp"},
        {{"-u", "wolf.bsp", "old.bsp"}, 3, "", {}, no_limit, "old.bsp"},
        {{"map.bsp"}, 1, "", {}, no_limit, "map.bsp"},
        {{"au.bsp", "map.bsp", "old.bsp"}, 4, "", {}, no_limit, "old.bsp"},
        {{"map.bsp", null_device}, 0, "", {}, no_limit, null_device},
        {{null_device, "map.bsp"}, 3, same, {}, no_limit, "", "map.bsp"},
#ifdef _WIN32
        {{"map.bsp", "MAP.BSP"}, 3, same},
        {{"map.bsp", utf8_of(linked)}, 3, same},
#else
        {{"map.bsp", "soft.bsp"}, 3, same},
        {{"/proc/self/mem", "/dev/null"}, 2, "Error reading file!"},
        {{"map.bsp", "new.bsp"}, 4, during, rtcw.substr(0, 3), 3},
        {{"map.bsp", "new.bsp"}, 5, "Error during writing file at sensible part!", "IBSP", 4},
        {{"map.bsp", "old.bsp"}, 4, during, rtcw.substr(0, 5) + older.substr(5), 5},
        {{"big.bsp", "new.bsp"}, 4, during, converted(big).substr(0, past_block), past_block},
        {{"caf\xe9.bsp", "caf\xe9-rtcw.bsp"}, 0, hints, rtcw},
        {{"big.bsp", "new.bsp"}, 0, hints, converted(big), big.size()},
        {{in_pipe(big, 4096), "pipe-rtcw.bsp"}, 0, hints, converted(big)},
        {{in_pipe(q3a, 3), "pieces-rtcw.bsp"}, 0, hints, rtcw},
        {{"map.bsp", unshrinkable(big)}, 4, during},
        {{"big.bsp", reader_leaves()}, 4, during},
        {{"map.bsp"}, 1, "", {}, no_limit, no_reader()},
#endif
        // Over the longer old map, or what a failed run left of it: exactly the new map.
        {{"-undo", "wolf.bsp", "old.bsp"}, 0, hints, q3a},
    };
    fs::create_directory(utf8_path("café"));
    std::ofstream("map.bsp", std::ios::binary) << q3a;
    std::ofstream("wolf.bsp", std::ios::binary) << rtcw;
    std::ofstream("old.bsp") << older;
    std::ofstream("big.bsp", std::ios::binary) << big;
    std::ofstream("short.bsp") << "IBSP";
    fs::create_hard_link("map.bsp", utf8_path("карта.bsp"));
#ifdef _WIN32
    fs::create_hard_link("map.bsp", linked);
#else
    fs::create_symlink("map.bsp", "soft.bsp");
    fs::create_hard_link("map.bsp", "caf\xe9.bsp");
#endif
    for (const run_row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.arguments) + " limit " + std::to_string(row.limit));
        auto expected = files();
        if (row.target) expected["./" + row.arguments.back()] = *row.target;
#ifndef _WIN32
        // The source is never opened for writing, not even to be refused (but by the shell's >>).
        const std::string& source = row.arguments[row.arguments.size() == 3 ? 1 : 0];
        const event_watch watch(fs::is_regular_file(source) && source != row.output ? source : "",
                                IN_CLOSE_WRITE);
#endif
        EXPECT_EQ(run_as_started(row, folder.console), row.status);
        if (row.output.empty()) {
            EXPECT_EQ(bytes_of(folder.console), on_console(banner + row.printed));
        }
        EXPECT_EQ(files(), expected);
#ifndef _WIN32
        EXPECT_FALSE(watch.seen());
#endif
    }
#ifdef _WIN32
    fs::remove(linked);
#endif
}

TEST(MayBeOneFile, TellsOneFileFromTwo)
{
    constexpr file_kind disk = file_kind::regular;
    // File 42 on volume 7 with times that carry nanoseconds; sshfs and FAT give whole seconds.
    const file_identity map{disk, true, 7, 0, 42, 1000, {100, 5}, {200, 6}};
    const file_identity whole{disk, true, 7, 0, 42, 1000, {100, 0}, {200, 0}};
    // What differs, the two files, and whether they may be one.
    const std::tuple<const char*, file_identity, file_identity, bool> rows[] = {
        {"same volume and ID", map, {disk, true, 7, 0, 42, 1, {1, 0}, {1, 0}}, true},
        {"another volume, alike", map, {disk, true, 8, 0, 42, 1000, {100, 5}, {200, 6}}, true},
        {"another size", map, {disk, true, 8, 0, 42, 999, {100, 5}, {200, 6}}, false},
        {"another modification time", map, {disk, true, 8, 0, 42, 1000, {100, 6}, {200, 6}}, false},
        {"another change time", map, {disk, true, 8, 0, 42, 1000, {100, 5}, {200, 7}}, false},
        {"whole seconds", whole, {disk, true, 8, 0, 42, 1000, {100, 0}, {200, 0}}, false},
        {"another ID", map, {disk, true, 7, 0, 43, 1000, {100, 5}, {200, 6}}, false},
        {"upper half of the ID", map, {disk, true, 7, 1, 42, 1000, {100, 5}, {200, 6}}, false},
        {"another kind", map, {file_kind::device, true, 7, 0, 42, 1000, {100, 5}, {200, 6}}, false},
        {"nothing known of it", map, {disk, false, 0, 0, 0, 0, {0, 0}, {0, 0}}, true},
    };
    for (const auto& [what, first, second, one] : rows) {
        EXPECT_EQ(may_be_one_file(first, second), one) << what;
    }
}

}  // namespace lumvert

#include "check/run_check.hpp"
#include "tests/harness.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lumvert {

namespace {

std::string little_endian(std::int64_t value)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
    }
    return bytes;
}

std::string shader(const std::string& name, std::uint32_t surface, std::uint32_t content)
{
    return name + std::string(64 - name.size(), '\0') + little_endian(surface) +
           little_endian(content);
}

// The lumps of a map that the check reads; every other lump is empty.
struct map_parts {
    std::string entities;
    std::string shaders{};
    std::size_t models = 1;
    std::size_t brushes = 0;
    std::vector<std::int32_t> fog_brushes{};
    std::vector<std::int32_t> surface_types{};
    int version = 46;
};

std::string map_of(const map_parts& parts)
{
    std::string lumps[17];
    lumps[0] = parts.entities;
    lumps[1] = parts.shaders;
    lumps[7] = std::string(40 * parts.models, '\0');
    lumps[8] = std::string(12 * parts.brushes, '\0');
    for (const std::int32_t brush : parts.fog_brushes) {
        lumps[12] += std::string(64, 'f') + little_endian(brush) + little_endian(0);
    }
    for (const std::int32_t type : parts.surface_types) {
        lumps[13] += std::string(8, 's') + little_endian(type) + std::string(92, 's');
    }
    std::string header = "IBSP" + little_endian(parts.version);
    std::string body;
    for (const std::string& lump : lumps) {
        header += little_endian(static_cast<std::int64_t>(144 + body.size())) +
                  little_endian(static_cast<std::int64_t>(lump.size()));
        body += lump;
    }
    return header + body;
}

std::string with(std::string map, std::size_t at, const std::string& bytes)
{
    return map.replace(at, bytes.size(), bytes);
}

struct check_row {
    std::vector<std::string> arguments;
    int status;
    std::string out;  // standard output
    std::string err{};
    std::string output{};  // the file standard output goes to, if not a file of the test's own
};

int run_as_started(const check_row& row, const std::string& out, const std::string& err)
{
    std::vector<fs::path> paths(row.arguments.size());
    std::transform(row.arguments.begin(), row.arguments.end(), paths.begin(), utf8_path);
    std::vector<file_name> names(paths.size());
    std::transform(paths.begin(), paths.end(), names.begin(), std::mem_fn(&fs::path::c_str));
    static_cast<void>(std::fflush(stdout));
    const redirection output(STDOUT_FILENO, row.output.empty() ? out : row.output,
                             O_WRONLY | O_CREAT | O_TRUNC);
    const redirection error(STDERR_FILENO, err, O_WRONLY | O_CREAT | O_TRUNC);
    const int status = run_check(static_cast<int>(names.size()), names.data());
    static_cast<void>(std::fflush(stdout));
    static_cast<void>(std::fflush(stderr));
    return status;
}

const std::string world = "{\n\"classname\" \"worldspawn\"\n}\n";
// The fields of a map with one submodel and nothing that differs, after those given.
std::string json(const std::string& map, const std::string& games, const std::string& fields)
{
    return "{\"map\":\"" + map + "\",\"version\":" + games + fields + "}\n";
}

}  // namespace

// Each row runs the check in-process on a folder of maps it made and reads every byte it printed.
TEST(RunCheck, ReportsWhatTheTargetMakesOfEachMap)
{
    const scratch_folder folder;
    const std::string err = folder.console + ".err";
    const std::string plain_map = map_of({world + "{ \"classname\" \"info_player_deathmatch\"}"});
    const std::string names =
        "// a comment {\n{ /* \"classname\" \"x\" } */ classname \"worldspawn\" }\n"
        "{ \"classname\" \"weapon_shotgun\" \"ClassName\" \"ITEM_HEALTH\"}\n{ classname INFO_NULL "
        "}\n"
        "{ \"origin\" \"0 0 0\"}\n{ \"classname\" \"weapon_shotgun\"}\n{ \"classname\" "
        "\"item_armor_body\" "
        "\"notteam\" \"1\" \"gametype\" \"ffa\"}";
    const std::string along(1100, 'a'), along_kept(1023, 'a'), value(1100, 'v');
    const std::string flags =
        shader("textures/\"\\\xe9", 0x40 | 0x1000 | 0x80000000, 0x400000 | 0x1) +
        shader(std::string(64, 'x'), 0x40000, 0);
    const map_parts geometry{world, "", 257, 2, {-1, 1, 2}, {1, 5, 0, 4}};
    const std::vector<std::pair<std::string, std::string>> maps = {
        {"plain.bsp", plain_map},
        {"карта.bsp", plain_map},
        {"wolf.bsp", map_of({world, "", 1, 0, {}, {}, 47})},
        {"names.bsp", map_of({names + std::string(1, '\0') + "{ \"classname\" \"after_nul\"}"})},
        {"long.bsp",
         map_of({world + "{ \"classname\" \"" + along + "\" \"k\" \"" + value + "\" \"k\" \"" +
                 value + "\"}\n{ \"classname\" \"x\" \"k\" \"" + std::string(1015, 'v') +
                 "\" \"kk\" \"" + std::string(1015, 'v') + "\"}"})},
        {"first.bsp", map_of({"{ \"classname\" \"info_null\"}"})},
        {"empty.bsp", map_of({" // nothing\n"})},
        {"flags.bsp", map_of({world, flags})},
        {"geometry.bsp", map_of(geometry)},
        {"text.bsp", map_of({names, flags})},
        {"text.aas", ""},
        {"text_b1.aas", ""},
        {"short.bsp", plain_map.substr(0, 143)},
        {"vbsp.bsp", with(plain_map, 0, "VBSP")},
        {"v45.bsp", with(plain_map, 4, little_endian(45))},
        {"negative.bsp", with(plain_map, 8 + 8 * 3 + 4, little_endian(-1))},
        {"past.bsp",
         with(plain_map, 8 + 8 * 16,
              little_endian(static_cast<std::int64_t>(plain_map.size()) - 1) + little_endian(2))},
        {"funny.bsp", with(map_of({world, shader("a", 0, 0)}), 8 + 8 * 1 + 4, little_endian(71))},
        {"funnier.bsp",
         with(map_of({world, "", 1, 0, {}, {1}}), 8 + 8 * 13 + 4, little_endian(103))},
        {"where.bsp", map_of({world + " x"})},
        {"brace.bsp", map_of({"{ \"a\" }"})},
        {"open.bsp", map_of({"{ \"a\" \"b\""})},
    };
    const std::string plain = json(
        "plain.bsp", "46,\"from\":\"q3a\",\"for\":\"rtcw-mp\"",
        ",\"loads\":true,\"entities\":2,\"unknown_entities\":{},\"first_not_worldspawn\":false,"
        "\"long_entities\":0,\"bad_surfaces\":0,\"submodels\":1,\"submodel_limit\":512,\"bad_"
        "fogs\":0,\"changed_flags\":[]");
    const std::string usage = "usage: lumvert-check [--from GAME] [--for GAME] [--json] "
                              "MAP...\nGAME: q3a, rtcw-mp, rtcw-sp, et\n";
    const check_row rows[] = {
        {{"--json", "plain.bsp"}, 0, plain},
        {{"карта.bsp", "--json"},
         0,
         json("карта.bsp", "46,\"from\":\"q3a\",\"for\":\"rtcw-mp\"",
              ",\"loads\":true,\"entities\":2,\"unknown_entities\":{},\"first_not_worldspawn\":"
              "false,"
              "\"long_entities\":0,\"bad_surfaces\":0,\"submodels\":1,\"submodel_limit\":512,\"bad_"
              "fogs\":0,\"changed_flags\":[]")},
        {{"--json", "wolf.bsp"},
         0,
         json("wolf.bsp", "47,\"from\":\"rtcw-mp\",\"for\":\"q3a\"",
              ",\"loads\":true,\"entities\":1,\"unknown_entities\":{},\"first_not_worldspawn\":"
              "false,"
              "\"long_entities\":0,\"bad_surfaces\":0,\"submodels\":1,\"submodel_limit\":256,\"bad_"
              "fogs\":0,\"changed_flags\":[]")},
        {{"--json", "names.bsp"},
         1,
         json("names.bsp", "46,\"from\":\"q3a\",\"for\":\"rtcw-mp\"",
              ",\"loads\":true,\"entities\":6,\"unknown_entities\":{\"ITEM_HEALTH\":1,\"INFO_"
              "NULL\":1,\"\":1,\"weapon_shotgun\":1},"
              "\"first_not_worldspawn\":false,\"long_entities\":0,\"bad_surfaces\":0,\"submodels\":"
              "1,\"submodel_limit\":512,\"bad_fogs\":0,\"changed_flags\":[]")},
        {{"--json", "--for", "et", "names.bsp"},
         1,
         json("names.bsp", "46,\"from\":\"q3a\",\"for\":\"et\"",
              ",\"loads\":true,\"entities\":6,\"unknown_entities\":{\"INFO_NULL\":1,\"\":1,"
              "\"weapon_shotgun\":1,\"item_armor_body\":1},"
              "\"first_not_worldspawn\":false,\"long_entities\":0,\"bad_surfaces\":0,\"submodels\":"
              "1,\"submodel_limit\":512,\"bad_fogs\":0,\"changed_flags\":[]")},
        {{"--json", "long.bsp"},
         1,
         json("long.bsp", "46,\"from\":\"q3a\",\"for\":\"rtcw-mp\"",
              ",\"loads\":false,\"entities\":3,\"unknown_entities\":{\"" + along_kept +
                  "\":1,\"x\":1},\"first_not_worldspawn\":false,"
                  "\"long_entities\":2,\"bad_surfaces\":0,\"submodels\":1,\"submodel_limit\":512,"
                  "\"bad_fogs\":0,\"changed_flags\":[]")},
        {{"--for", "q3a", "--json", "long.bsp"},
         1,
         json("long.bsp", "46,\"from\":\"q3a\",\"for\":\"q3a\"",
              ",\"loads\":true,\"entities\":3,\"unknown_entities\":{\"" + along_kept +
                  "\":1,\"x\":1},\"first_not_worldspawn\":false,"
                  "\"long_entities\":0,\"bad_surfaces\":0,\"submodels\":1,\"submodel_limit\":256,"
                  "\"bad_fogs\":0,\"changed_flags\":[]")},
        {{"--json", "first.bsp", "empty.bsp"},
         1,
         json("first.bsp", "46,\"from\":\"q3a\",\"for\":\"rtcw-mp\"",
              ",\"loads\":false,\"entities\":1,\"unknown_entities\":{},\"first_not_worldspawn\":"
              "true,"
              "\"long_entities\":0,\"bad_surfaces\":0,\"submodels\":1,\"submodel_limit\":512,\"bad_"
              "fogs\":0,\"changed_flags\":[]") +
             json("empty.bsp", "46,\"from\":\"q3a\",\"for\":\"rtcw-mp\"",
                  ",\"loads\":false,\"entities\":0,\"unknown_entities\":{},\"first_not_"
                  "worldspawn\":true,"
                  "\"long_entities\":0,\"bad_surfaces\":0,\"submodels\":1,\"submodel_limit\":512,"
                  "\"bad_fogs\":0,\"changed_flags\":[]")},
        {{"--json", "--for", "et", "flags.bsp"},
         1,
         json("flags.bsp", "46,\"from\":\"q3a\",\"for\":\"et\"",
              ",\"loads\":true,\"entities\":1,\"unknown_entities\":{},\"first_not_worldspawn\":"
              "false,"
              "\"long_entities\":0,\"bad_surfaces\":0,\"submodels\":1,\"submodel_limit\":512,\"bad_"
              "fogs\":0,\"changed_flags\":["
              "{\"shader\":\"textures/"
              "\\\"\\\\\\u00e9\",\"kind\":\"surface\",\"bit\":64,\"from\":\"flesh\",\"to\":"
              "\"splash\"},"
              "{\"shader\":\"textures/"
              "\\\"\\\\\\u00e9\",\"kind\":\"surface\",\"bit\":2147483648,\"from\":null,\"to\":"
              "\"landmine\"},"
              "{\"shader\":\"textures/"
              "\\\"\\\\\\u00e9\",\"kind\":\"content\",\"bit\":4194304,\"from\":\"botclip\",\"to\":"
              "\"donotenter_large\"},"
              "{\"shader\":\"" +
                  std::string(64, 'x') +
                  "\",\"kind\":\"surface\",\"bit\":262144,\"from\":\"dust\",\"to\":\"wood\"}]")},
        {{"--json", "--for", "q3a", "geometry.bsp"},
         1,
         json("geometry.bsp", "46,\"from\":\"q3a\",\"for\":\"q3a\"",
              ",\"loads\":false,\"entities\":1,\"unknown_entities\":{},\"first_not_worldspawn\":"
              "false,"
              "\"long_entities\":0,\"bad_surfaces\":2,\"submodels\":257,\"submodel_limit\":256,"
              "\"bad_fogs\":2,\"changed_flags\":[]")},
        {{"--json", "--from", "et", "--for", "et", "geometry.bsp"},
         1,
         json("geometry.bsp", "46,\"from\":\"et\",\"for\":\"et\"",
              ",\"loads\":false,\"entities\":1,\"unknown_entities\":{},\"first_not_worldspawn\":"
              "false,"
              "\"long_entities\":0,\"bad_surfaces\":1,\"submodels\":257,\"submodel_limit\":512,"
              "\"bad_fogs\":1,\"changed_flags\":[]")},
        {{"text.bsp", "first.bsp"},
         1,
         "text.bsp: will load in RTCW multiplayer; 4 of 6 entities will not appear\n"
         "  read as Q3A (version 46)\n"
         "  will not appear: ITEM_HEALTH (1), INFO_NULL (1), no classname (1), weapon_shotgun (1)\n"
         "  flags read otherwise:\n"
         "    textures/\"\\\xe9: surface flesh is ceramic; content botclip is donotenter_large\n"
         "    " +
             std::string(64, 'x') +
             ": surface dust is wood\n"
             "  note: item_armor_body (1) in RTCW multiplayer: a flak jacket (in Q3A: heavy "
             "armor)\n"
             "  note: 1 entities with \"notteam\" never appear in RTCW multiplayer\n"
             "  note: 1 entities with \"gametype\" or \"notq3a\" appear in every game type of RTCW "
             "multiplayer\n"
             "  note: bot files beside the map: text.aas text_b1.aas; RTCW multiplayer loads "
             "text_b0.aas and text_b1.aas "
             "(AAS version 8). Any change to the map's bytes, its version too, makes them out of "
             "date.\n\n"
             "first.bsp: will not load in RTCW multiplayer: \"SP_worldspawn: The first entity "
             "isn't 'worldspawn'\"; 0 of 1 entities will not appear\n"
             "  read as Q3A (version 46)\n\n"},
        {{"--json", "short.bsp", "plain.bsp"},
         2,
         "{\"map\":\"short.bsp\",\"error\":\"shorter (143 bytes) than the 144-byte header\"}\n" +
             plain,
         "short.bsp: shorter (143 bytes) than the 144-byte header\n"},
        {{"vbsp.bsp"}, 2, "", "vbsp.bsp: no BSP map: it does not begin with IBSP\n"},
        {{"v45.bsp"}, 2, "", "v45.bsp: version 45, neither 46 (Q3A) nor 47 (RTCW, ET)\n"},
        {{"negative.bsp"}, 2, "", "negative.bsp: lump 3 (nodes) has a negative offset or length\n"},
        {{"past.bsp"},
         2,
         "",
         "past.bsp: lump 16 (visibility) ends at byte " + std::to_string(plain_map.size() + 1) +
             ", past the end of the file (" + std::to_string(plain_map.size()) + " bytes)\n"},
        {{"funny.bsp", "funnier.bsp"},
         2,
         "",
         "funny.bsp: lump 1 (shaders) is 71 bytes, not a whole number of 72-byte records\n"
         "funnier.bsp: lump 13 (surfaces) is 103 bytes, not a whole number of 104-byte records\n"},
        {{"where.bsp"},
         2,
         "",
         "where.bsp: entity block 2 (byte 172): \"x\" where a block must start\n"},
        {{"brace.bsp"},
         2,
         "",
         "brace.bsp: entity block 1 (byte 144): a closing brace where a value must be\n"},
        {{"open.bsp"}, 2, "", "open.bsp: entity block 1 (byte 144): the text ends inside it\n"},
        {{"text.aas", "text", "missing.bsp"},
         2,
         "",
         "text.aas: shorter (0 bytes) than the 144-byte header\ntext: not a regular file\n"
         "missing.bsp: No such file or directory\n"},
        {{}, 2, "", "lumvert-check: no map named\n" + usage},
        {{"-x", "plain.bsp"}, 2, "", "lumvert-check: unknown option\n" + usage},
        {{"--for", "quake", "plain.bsp"},
         2,
         "",
         "lumvert-check: --from and --for take a game\n" + usage},
#ifndef _WIN32
        {{"plain.bsp"}, 2, "", "lumvert-check: the report could not be written\n", "/dev/full"},
#endif
    };
    for (const auto& [name, bytes] : maps) {
        std::ofstream(utf8_path(name), std::ios::binary) << bytes;
    }
    fs::create_directory("text");
    const auto before = files();
    for (const check_row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.arguments));
#ifndef _WIN32
        // Read-only: no file is made, or opened for writing.
        const event_watch watch(".", IN_CREATE | IN_CLOSE_WRITE);
#endif
        EXPECT_EQ(run_as_started(row, folder.console, err), row.status);
        if (row.output.empty()) {
            EXPECT_EQ(bytes_of(folder.console), on_console(row.out));
        }
        EXPECT_EQ(bytes_of(err), on_console(row.err));
        EXPECT_EQ(files(), before);
#ifndef _WIN32
        EXPECT_FALSE(watch.seen());
#endif
    }
    fs::remove(err);
}

}  // namespace lumvert

#include "check/run_check.hpp"
#include "tests/harness.hpp"
#include "tests/maps.hpp"

namespace lumvert {

namespace {

// The JSON object of a map: the fields of a plain map of two entities, as the row overrides them.
std::string json(const std::string& map,
                 const std::vector<std::pair<std::string, std::string>>& set)
{
    std::vector<std::pair<std::string, std::string>> fields = {{"version", "46"},
                                                               {"from", "\"q3a\""},
                                                               {"for", "\"rtcw-mp\""},
                                                               {"loads", "true"},
                                                               {"load_errors", "[]"},
                                                               {"entities", "2"},
                                                               {"absent_entities", "0"},
                                                               {"unknown_entities", "{}"},
                                                               {"unlisted_unknown_entities", "0"},
                                                               {"first_not_worldspawn", "false"},
                                                               {"long_entities", "0"},
                                                               {"bad_surfaces", "0"},
                                                               {"submodels", "1"},
                                                               {"submodel_limit", "512"},
                                                               {"bad_fogs", "0"},
                                                               {"changed_flags", "[]"},
                                                               {"unlisted_changed_flags", "0"}};
    std::string line = "{\"map\":\"" + map + "\"";
    for (auto& [name, value] : fields) {
        for (const auto& [changed, to] : set) value = changed == name ? to : value;
        line.append(",\"").append(name).append("\":").append(value);
    }
    return line + "}\n";
}

struct check_row {
    std::vector<std::string> arguments;
    int status;
    std::string out;  // standard output
    std::string err{};
    std::string output{};  // the file standard output goes to, if not a file of the test's own
    int flags = O_WRONLY | O_CREAT | O_TRUNC;
    std::string errors{};  // the file standard error appends to, if not a file of the test's own
};

int run_as_started(const check_row& row, const std::string& out, const std::string& err)
{
    started_arguments given(row.arguments);
    std::vector<file_name>& names = given.names;
    static_cast<void>(std::fflush(stdout));
    const redirection output(STDOUT_FILENO, row.output.empty() ? out : row.output, row.flags);
    const redirection error(STDERR_FILENO, row.errors.empty() ? err : row.errors,
                            row.errors.empty() ? O_WRONLY | O_CREAT | O_TRUNC
                                               : O_WRONLY | O_APPEND);
    const int status = run_check(static_cast<int>(names.size()), names.data());
    static_cast<void>(std::fflush(stdout));
    static_cast<void>(std::fflush(stderr));
    return status;
}

}  // namespace

// Each row runs the check in-process on a folder of maps it made and reads every byte it printed.
TEST(RunCheck, ReportsWhatTheTargetMakesOfEachMap)
{
    const scratch_folder folder;
    const std::string err = folder.console + ".err";
    const std::string plain_map = world_and(entity("info_player_deathmatch"));
    const std::string names =
        "// a comment {\n{ /* \"classname\" \"x\" } */ classname \"worldspawn\" }\n"
        "{ \"classname\" \"weapon_shotgun\" \"ClassName\" \"ITEM_HEALTH\"}\n{ classname INFO_NULL "
        "}\n"
        "{ \"origin\" \"0 0 0\"}\n{ \"classname\" \"weapon_shotgun\"}\n"
        "{ \"classname\" \"item_armor_body\" \"notteam\" \"0\" \"gametype\" \"ffa\"}";
    const std::string along(1100, 'a'), value(1100, 'v');
    const std::string flags =
        shader("textures/\"\\\xe9", 0x40 | 0x1000 | 0x80000000, 0x400000 | 0x1) +
        shader(std::string(64, 'x'), 0x40000, 0);
    // Every byte at the edges of what is shown as it is: 0x1f, 0x20, 0x7e, 0x7f, 0x80, 0x9f, 0xa0.
    const std::string edges = "\x1f ~\x7f\x80\x9f\xa0";
    const std::string pairs = times(63, " \"k\" \"v\"");
    const auto values = [](std::initializer_list<std::size_t> sizes) {
        std::string all;
        for (const std::size_t size : sizes) all += " \"k\" \"" + std::string(size, 'v') + "\"";
        return all;
    };
    std::string many;
    std::string many_json = "{";
    for (int i = 0; i < 1030; ++i) {
        many += entity("c" + std::to_string(i));
        if (i < 1024) many_json += (i > 0 ? ",\"c" : "\"c") + std::to_string(i) + "\":1";
    }
    std::string kinds = times(3, entity(std::string(1024, 'k')));
    std::string kinds_json = "{\"" + std::string(1023, 'k') + "\":3";
    for (int i = 0; i < 70; ++i) {
        kinds += entity(std::string(1020, 'k') + std::to_string(i));
        if (i < 63) kinds_json += ",\"" + std::string(1020, 'k') + std::to_string(i) + "\":1";
    }
    // Block 2 ends 52 bytes into the lump; past the first 64 KiB read, one unknown class.
    const std::string padding = " \"k\" \"" + std::string(1000, 'p') + "\"";
    const std::string across = world + times(70, entity("info_null", padding)) + entity("quad");
    std::vector<std::int32_t> surfaces(700, 1);
    surfaces.back() = 9;
    const std::vector<std::pair<std::string, std::string>> maps = {
        {"plain.bsp", plain_map},
        {"карта.bsp", plain_map},
        {"wolf.bsp", map_of({world, "", 1, 0, {}, {}, 47})},
        {"names.bsp", map_of({names + std::string(1, '\0') + "{ \"classname\" \"after_nul\"}"})},
        {"edges.bsp", map_of({world + entity(edges), shader(edges, 64, 0)})},
        {"quirks.bsp",
         map_of({"{ \"ClassName\" \"x\" \"classname\" \"WorldSpawn\" \"classname\" \"x\" }\xa0"
                 "{ classname\x80info_null \"message\" \"say \\\"} now\\\" please\" }"})},
        {"long.bsp",
         world_and(entity(along, values({1100, 1100})) + entity("x", values({1015, 1015})) +
                   entity("x", values({1015, 1016})))},
        {"q3a.bsp", world_and(entity("x", values({1018, 1018, 1018, 1018})) +
                              entity("x", values({1018, 1018, 1018, 1019})))},
        {"pairs.bsp",
         world_and(entity("info_null", pairs) + entity("info_null", pairs + values({1})))},
        {"slots.bsp", world_and(times(950, entity("info_notnull")) + entity("light"))},
        {"crowd.bsp", world_and(times(950, entity("info_notnull")) + entity("target_score"))},
        {"spots.bsp", world_and(times(128, entity("info_player_deathmatch")))},
        {"spots2.bsp",
         world_and(times(128, entity("info_player_start")) + entity("info_player_deathmatch") +
                   entity("info_player_start", " \"notteam\" \"1\""))},
        {"rocket.bsp", world_and(entity("shooter_rocket") + entity("x", " \"NotTeam\" \"1\"") +
                                 entity("x", " \"notteam\" \"0\" \"notteam\" \"1\""))},
        {"kinds.bsp", world_and(kinds)},
        {"many.bsp", world_and(many)},
        {"first.bsp", map_of({"{ \"classname\" \"info_null\"}\n" + entity("worldspawn")})},
        {"empty.bsp", map_of({" // nothing\n"})},
        {"flags.bsp", map_of({world, flags})},
        {"geometry.bsp", map_of({world, "", 257, 2, {-1, 1, 2}, {1, 5, 0, 4}})},
        {"256.bsp", map_of({world, "", 256})},
        {"512.bsp", map_of({world, "", 512})},
        {"513.bsp", map_of({world, "", 513})},
        {"across.bsp", map_of({across, "", 1, 0, {}, surfaces})},
        {"text.bsp", map_of({names, flags})},
        {"text.aas", ""},
        {"text_b1.aas", ""},
        {"where.bsp", world_and("\"\x1b[2J\"")},
        {"brace.bsp", map_of({"{ \"a\" }"})},
        {"open.bsp", map_of({world + "{ \"a\" \"b"})},
        {"-x.bsp", plain_map},
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
#ifndef _WIN32
        {"caf\xe9\x1b\x7f\xc2\x9b\xc2\xa0.bsp", plain_map},
#endif
    };
    const std::string usage = "usage: lumvert-check [--from GAME] [--for GAME] [--json] "
                              "MAP...\nGAME: q3a, rtcw-mp, rtcw-sp, et\n";
    const std::string read_as = "  read as Q3A (version 46)\n";
    const std::string first_entity = "SP_worldspawn: The first entity isn't 'worldspawn'";
    const check_row rows[] = {
        {{"--json", "plain.bsp"}, 0, json("plain.bsp", {})},
        {{"карта.bsp", "--json"}, 0, json("карта.bsp", {})},
        {{"--json", "wolf.bsp"},
         0,
         json("wolf.bsp", {{"version", "47"},
                           {"from", "\"rtcw-mp\""},
                           {"for", "\"q3a\""},
                           {"entities", "1"},
                           {"submodel_limit", "256"}})},
        {{"--json", "names.bsp"},
         1,
         json("names.bsp", {{"entities", "6"},
                            {"absent_entities", "4"},
                            {"unknown_entities",
                             "{\"ITEM_HEALTH\":1,\"INFO_NULL\":1,\"\":1,\"weapon_shotgun\":1}"}})},
        {{"--json", "--for", "et", "names.bsp"},
         1,
         json("names.bsp",
              {{"for", "\"et\""},
               {"entities", "6"},
               {"absent_entities", "4"},
               {"unknown_entities",
                "{\"INFO_NULL\":1,\"\":1,\"weapon_shotgun\":1,\"item_armor_body\":1}"}})},
        {{"edges.bsp", "--json"},
         1,
         json("edges.bsp",
              {{"absent_entities", "1"},
               {"unknown_entities", "{\"\\u001f ~\\u007f\\u0080\\u009f\\u00a0\":1}"},
               {"changed_flags", "[{\"shader\":\"\\u001f ~\\u007f\\u0080\\u009f\\u00a0\","
                                 "\"kind\":\"surface\",\"bit\":64,\"from\":\"flesh\","
                                 "\"to\":\"ceramic\"}]"}})},
        {{"--json", "--for", "q3a", "quirks.bsp"},
         1,
         json("quirks.bsp",
              {{"for", "\"q3a\""},
               {"loads", "false"},
               {"load_errors", "[\"" + first_entity +
                                   "\",\"G_ParseSpawnVars: found now\\\\\\\" when expecting {\"]"},
               {"first_not_worldspawn", "true"},
               {"submodel_limit", "256"}})},
        {{"edges.bsp", "--for", "rtcw-mp", "quirks.bsp"},
         1,
         "edges.bsp: will load in RTCW multiplayer; 1 of 2 entities will not appear\n" + read_as +
             "  no spawn function: \\x1f ~\\x7f\\x80\\x9f\\xa0 (1)\n  flags read otherwise:\n"
             "    \\x1f ~\\x7f\\x80\\x9f\\xa0: surface flesh is ceramic\n\n"
             "quirks.bsp: will not load in RTCW multiplayer: \"G_ParseSpawnVars: found now\\\" "
             "when expecting {\" (entity block 3, byte 101); 0 of 2 entities will not appear\n" +
             read_as + "\n"},
        {{"--json", "--for", "et", "quirks.bsp", "long.bsp"},
         1,
         json("quirks.bsp", {{"for", "\"et\""}}) +
             json("long.bsp",
                  {{"for", "\"et\""},
                   {"loads", "false"},
                   {"load_errors", "[\"G_AddSpawnVarToken: MAX_SPAWN_VARS_CHARS\"]"},
                   {"entities", "4"},
                   {"absent_entities", "3"},
                   {"unknown_entities", "{\"" + std::string(1023, 'a') + "\":1,\"x\":2}"},
                   {"long_entities", "2"}})},
        {{"--for", "q3a", "--json", "long.bsp", "q3a.bsp"},
         1,
         json("long.bsp", {{"for", "\"q3a\""},
                           {"entities", "4"},
                           {"absent_entities", "3"},
                           {"unknown_entities", "{\"" + std::string(1023, 'a') + "\":1,\"x\":2}"},
                           {"submodel_limit", "256"}}) +
             json("q3a.bsp", {{"for", "\"q3a\""},
                              {"loads", "false"},
                              {"load_errors", "[\"G_AddSpawnVarToken: MAX_SPAWN_VARS_CHARS\"]"},
                              {"entities", "3"},
                              {"absent_entities", "2"},
                              {"unknown_entities", "{\"x\":2}"},
                              {"long_entities", "1"},
                              {"submodel_limit", "256"}})},
        {{"pairs.bsp", "slots.bsp", "crowd.bsp", "spots.bsp", "spots2.bsp", "rocket.bsp"},
         1,
         "pairs.bsp: will not load in RTCW multiplayer: \"G_ParseSpawnVars: MAX_SPAWN_VARS\" (1 "
         "entities with more than 64 pairs); 0 of 3 entities will not appear\n" +
             read_as +
             "\nslots.bsp: will load in RTCW multiplayer; 0 of 952 entities will not "
             "appear\n" +
             read_as +
             "\ncrowd.bsp: will not load in RTCW multiplayer: \"G_Spawn: no free entities\" (951 "
             "entities in use); 0 of 952 entities will not appear\n" +
             read_as +
             "\nspots.bsp: will load in RTCW multiplayer; 0 of 129 entities will not "
             "appear\n" +
             read_as +
             "\nspots2.bsp: will not load in RTCW multiplayer: \"more than 128 spawn points: the "
             "server may crash\" (129 spawn points); 1 of 131 entities will not appear\n" +
             read_as +
             "  freed for their game-type keys: 1\n\n"
             "rocket.bsp: will not load in RTCW multiplayer: \"Couldn't find item for weapon 18\" "
             "(1 shooter_rocket); 2 of 4 entities will not appear\n" +
             read_as + "  no spawn function: x (2)\n\n"},
        {{"--for", "et", "--json", "rocket.bsp"},
         1,
         json("rocket.bsp", {{"for", "\"et\""},
                             {"entities", "4"},
                             {"absent_entities", "2"},
                             {"unknown_entities", "{\"x\":2}"}})},
        {{"--json", "kinds.bsp", "many.bsp"},
         1,
         json("kinds.bsp", {{"entities", "74"},
                            {"absent_entities", "73"},
                            {"unknown_entities", kinds_json + "}"},
                            {"unlisted_unknown_entities", "7"}}) +
             json("many.bsp", {{"entities", "1031"},
                               {"absent_entities", "1030"},
                               {"unknown_entities", many_json + "}"},
                               {"unlisted_unknown_entities", "6"}})},
        {{"--json", "--for", "et", "flags.bsp"},
         1,
         json(
             "flags.bsp",
             {{"for", "\"et\""},
              {"entities", "1"},
              {"changed_flags",
               "[{\"shader\":\"textures/\\\"\\\\\\u00e9\",\"kind\":\"surface\",\"bit\":64,"
               "\"from\":\"flesh\",\"to\":\"splash\"},{\"shader\":\"textures/\\\"\\\\\\u00e9\","
               "\"kind\":\"surface\",\"bit\":2147483648,\"from\":null,\"to\":\"landmine\"},"
               "{\"shader\":\"textures/\\\"\\\\\\u00e9\",\"kind\":\"content\",\"bit\":4194304,"
               "\"from\":\"botclip\",\"to\":\"donotenter_large\"},{\"shader\":\"" +
                   std::string(64, 'x') +
                   "\",\"kind\":\"surface\",\"bit\":262144,\"from\":\"dust\",\"to\":\"wood\"}]"}})},
        {{"--json", "--for", "q3a", "geometry.bsp"},
         1,
         json("geometry.bsp",
              {{"for", "\"q3a\""},
               {"loads", "false"},
               {"load_errors", "[\"MAX_SUBMODELS exceeded\",\"Bad surfaceType\",\"fog "
                               "brushNumber out of range\"]"},
               {"entities", "1"},
               {"bad_surfaces", "2"},
               {"submodels", "257"},
               {"submodel_limit", "256"},
               {"bad_fogs", "2"}})},
        {{"--json", "--for", "q3a", "256.bsp"},
         0,
         json("256.bsp", {{"for", "\"q3a\""},
                          {"entities", "1"},
                          {"submodels", "256"},
                          {"submodel_limit", "256"}})},
        {{"--json", "512.bsp", "513.bsp"},
         1,
         json("512.bsp", {{"entities", "1"}, {"submodels", "512"}}) +
             json("513.bsp", {{"loads", "false"},
                              {"load_errors", "[\"MAX_SUBMODELS exceeded\"]"},
                              {"entities", "1"},
                              {"submodels", "513"}})},
        {{"--json", "--from", "et", "--for", "et", "geometry.bsp", "across.bsp"},
         1,
         json("geometry.bsp",
              {{"from", "\"et\""},
               {"for", "\"et\""},
               {"loads", "false"},
               {"load_errors", "[\"Bad surfaceType\",\"fog brushNumber out of range\"]"},
               {"entities", "1"},
               {"bad_surfaces", "1"},
               {"submodels", "257"},
               {"bad_fogs", "1"}}) +
             json("across.bsp", {{"from", "\"et\""},
                                 {"for", "\"et\""},
                                 {"loads", "false"},
                                 {"load_errors", "[\"Bad surfaceType\"]"},
                                 {"entities", "72"},
                                 {"absent_entities", "1"},
                                 {"unknown_entities", "{\"quad\":1}"},
                                 {"bad_surfaces", "1"}})},
        {{"text.bsp", "first.bsp"},
         1,
         "text.bsp: will load in RTCW multiplayer; 4 of 6 entities will not appear\n" + read_as +
             "  no spawn function: ITEM_HEALTH (1), INFO_NULL (1), no classname (1), "
             "weapon_shotgun (1)\n  flags read otherwise:\n"
             "    textures/\"\\\\xe9: surface flesh is ceramic; content botclip is "
             "donotenter_large\n    " +
             std::string(64, 'x') +
             ": surface dust is wood\n"
             "  note: item_armor_body (1) in RTCW multiplayer: a flak jacket (in Q3A: heavy "
             "armor)\n  note: 1 entities with \"gametype\" or \"notq3a\" appear in every game "
             "type of RTCW multiplayer\n  note: bot files beside the map: text.aas text_b1.aas; "
             "RTCW multiplayer loads "
             "text_b0.aas and text_b1.aas (AAS version 8). Any change to the map's bytes, its "
             "version too, makes them out of date.\n\n"
             "first.bsp: will not load in RTCW multiplayer: \"" +
             first_entity + "\"; 0 of 2 entities will not appear\n" + read_as + "\n"},
        {{"--", "-x.bsp", "--json", "where.bsp", "brace.bsp", "open.bsp", "empty.bsp"},
         2,
         "-x.bsp: will load in RTCW multiplayer; 0 of 2 entities will not appear\n" + read_as +
             "\nwhere.bsp: will not load in RTCW multiplayer: \"G_ParseSpawnVars: found \\x1b[2J "
             "when expecting {\" (entity block 2, byte 28); 0 of 1 entities will not appear\n" +
             read_as +
             "\nbrace.bsp: will not load in RTCW multiplayer: \"G_ParseSpawnVars: closing brace "
             "without data\" (entity block 1, byte 0); 0 of 0 entities will not appear\n" +
             read_as +
             "\nopen.bsp: will not load in RTCW multiplayer: \"G_ParseSpawnVars: EOF without "
             "closing brace\" (entity block 2, byte 28); 0 of 1 entities will not appear\n" +
             read_as +
             "\nempty.bsp: will not load in RTCW multiplayer: \"SpawnEntities: no entities\"; 0 "
             "of 0 entities will not appear\n" +
             read_as + "\n",
         "--json: No such file or directory\n"},
        {{"--json", "where.bsp"},
         1,
         json("where.bsp",
              {{"loads", "false"},
               {"load_errors", "[\"G_ParseSpawnVars: found \\u001b[2J when expecting {\"]"},
               {"entities", "1"}})},
        {{"--json", "short.bsp", "plain.bsp"},
         2,
         "{\"map\":\"short.bsp\",\"error\":\"shorter (143 bytes) than the 144-byte header\"}\n" +
             json("plain.bsp", {}),
         "short.bsp: shorter (143 bytes) than the 144-byte header\n"},
        {{"vbsp.bsp", "v45.bsp", "negative.bsp", "past.bsp", "funny.bsp", "funnier.bsp"},
         2,
         "",
         "vbsp.bsp: no BSP map: it does not begin with IBSP\n"
         "v45.bsp: version 45, neither 46 (Q3A) nor 47 (RTCW, ET)\n"
         "negative.bsp: lump 3 (nodes) has a negative offset or length\n"
         "past.bsp: lump 16 (visibility) ends at byte " +
             std::to_string(plain_map.size() + 1) + ", past the end of the file (" +
             std::to_string(plain_map.size()) +
             " bytes)\n"
             "funny.bsp: lump 1 (shaders) is 71 bytes, not a whole number of 72-byte records\n"
             "funnier.bsp: lump 13 (surfaces) is 103 bytes, not a whole number of 104-byte "
             "records\n"},
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
        // Standard output writing into a map named takes nothing, over it or after it, not even
        // the usage text.
        {{"plain.bsp"}, 2, "", "", "plain.bsp", O_RDWR},
        {{"--json", "wolf.bsp", "-x"}, 2, "", "", "wolf.bsp", O_WRONLY | O_APPEND},
        {{"-x", "plain.bsp"}, 2, "", "", "", O_WRONLY | O_CREAT | O_TRUNC, "plain.bsp"},
        {{"caf\xe9\x1b\x7f\xc2\x9b\xc2\xa0.bsp", "--json", "caf\xe9\x1b\x7f\xc2\x9b\xc2\xa0"},
         2,
         json("caf\\udce9\\u001b\\u007f\\u009b\xc2\xa0.bsp", {}) +
             "{\"map\":\"caf\\udce9\\u001b\\u007f\\u009b\xc2\xa0\",\"error\":\"No such file or "
             "directory\"}\n",
         "caf\\xe9\\x1b\\x7f\\xc2\\x9b\xc2\xa0: No such file or directory\n"},
        // Last: the failed write stays with standard output.
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
        if (row.errors.empty()) {
            EXPECT_EQ(bytes_of(err), on_console(row.err));
        }
        EXPECT_EQ(files(), before);
#ifndef _WIN32
        EXPECT_EQ(watch.seen(), !(row.output + row.errors).empty() && row.output != "/dev/full");
#endif
    }
    fs::remove(err);
}

}  // namespace lumvert

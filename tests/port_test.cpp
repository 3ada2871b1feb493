#include "port/run_port.hpp"
#include "tests/harness.hpp"
#include "tests/maps.hpp"

#include <cstring>
#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace lumvert {

namespace {

// A Q3A map with a class of each fate: renamed, given keys, dropped by the table, by its
// game-type keys, for no spawn function or for stopping the game; team spawns; a brush model.
const std::string q3a_entities =
    "{ \"classname\" \"worldspawn\" \"message\" \"Q\" \"notfree\" \"0\" }\n"
    "{ \"classname\" \"weapon_shotgun\" \"origin\" \"1 2 3\" }\n"
    "{ \"classname\" \"ammo_bullets\" \"wait\" \"5\" }\n"
    "{ \"classname\" \"ammo_cells\" }\n{ \"classname\" \"item_quad\" }\n"
    "{ \"ClassName\" \"team_CTF_redplayer\" \"origin\" \"8 8 8\" }\n"
    "{ \"classname\" \"team_CTF_redspawn\" \"spawnflags\" \"1\" \"origin\" \"9 9 9\" }\n"
    "{ \"classname\" \"team_CTF_bluespawn\" \"origin\" \"7 7 7\" }\n"
    "{ \"classname\" \"info_player_deathmatch\" \"NotTeam\" \"1\" }\n"
    "{ \"classname\" \"func_door\" \"model\" \"*1\" \"gametype\" \"ctf team\" \"notfree\" \"1\" }\n"
    "{ \"classname\" \"target_print\" \"gametype\" \"ffa\" }\n"
    "{ \"classname\" \"shooter_rocket\" }\n{ classname misc_unknown }\n"
    "{ \"classname\" \"light\" \"NOTQ3A\" \"1\" }";

// The map with its world model's bounds, -100.5 -200 0 to 300 400.25 0.
std::string q3a_map(const std::string& entities)
{
    const std::string map = map_of({entities, "", 2});
    std::string bounds;
    for (const float value : {-100.5F, -200.0F, 0.0F, 300.0F, 400.25F, 0.0F}) {
        char bytes[4];
        std::memcpy(bytes, &value, 4);
        bounds.append(bytes, 4);
    }
    return with(map, 144 + entities.size(), bounds);
}

// The source as the port writes it: version 47, the entity text after it, 4-aligned.
std::string ported(std::string map, const std::string& text)
{
    map[4] = 47;
    map.resize((map.size() + 3) / 4 * 4, '\0');
    const std::size_t start = map.size();
    map += text + std::string(1, '\0');
    return with(map, 8,
                little_endian(static_cast<std::int64_t>(start)) +
                    little_endian(static_cast<std::int64_t>(text.size() + 1)));
}

std::string block(const std::vector<std::string>& pairs)
{
    std::string text = "{\n";
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
        text += "\"" + pairs[i] + "\" \"" + pairs[i + 1] + "\"\n";
    }
    return text + "}\n";
}

std::string script(const std::string& spawns)
{
    return "// Written by lumvert-port: the respawn times in seconds, the round's time limit in\n"
           "// minutes. Change them as the map wants.\ngame_manager\n{\n\tspawn\n\t{\n"
           "\t\twm_axis_respawntime 20\n\t\twm_allied_respawntime 20\n"
           "\t\twm_set_round_timelimit 20\n\t\twm_setwinner -1\n" +
           spawns + "\t}\n}\n";
}

struct port_row {
    std::vector<std::string> arguments;
    int status;
    std::string out;
    std::string err;
    std::vector<std::pair<std::string, std::string>> made{};  // files after, by name and bytes
    std::uint64_t limit = UINT64_MAX;                         // on the size of a file written
    std::string output{};  // the file standard output appends to, if not a file of the test's own
};

int run_as_started(const port_row& row, const std::string& out, const std::string& err)
{
    started_arguments given(row.arguments);
    std::vector<file_name>& names = given.names;
    static_cast<void>(std::fflush(stdout));
    const redirection output(STDOUT_FILENO, row.output.empty() ? out : row.output,
                             row.output.empty() ? O_WRONLY | O_CREAT | O_TRUNC
                                                : O_WRONLY | O_APPEND);
    const redirection error(STDERR_FILENO, err, O_WRONLY | O_CREAT | O_TRUNC);
#ifndef _WIN32
    static_cast<void>(std::signal(SIGXFSZ, SIG_DFL));
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit lowered{std::min<rlim_t>(row.limit, saved.rlim_cur), saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &lowered);
#endif
    const int status = run_port(static_cast<int>(names.size()), names.data());
#ifndef _WIN32
    setrlimit(RLIMIT_FSIZE, &saved);
#endif
    static_cast<void>(std::fflush(stdout));
    static_cast<void>(std::fflush(stderr));
    return status;
}

}  // namespace

// Each row ports in-process in a folder of maps and tables it made, and checks every byte it
// printed and every file after.
TEST(RunPort, RewritesTheEntitiesAndSparesTheMaps)
{
    const scratch_folder folder;
    const std::string err = folder.console + ".err";
    const std::string map = q3a_map(q3a_entities);
    const std::string door = block({"classname", "func_door", "model", "*1"});
    const std::string manager =
        block({"classname", "script_multiplayer", "scriptname", "game_manager"});
    const std::string rtcw_map = ported(
        map, block({"classname", "worldspawn", "message", "Q"}) +
                 block({"classname", "weapon_thompson", "origin", "1 2 3"}) +
                 block({"classname", "weapon_magicammo", "wait", "40"}) +
                 block({"classname", "weapon_magicammo", "wait", "40"}) +
                 block({"classname", "team_CTF_redplayer", "origin", "8 8 8"}) +
                 block({"classname", "team_CTF_redspawn", "spawnflags", "3", "origin", "9 9 9"}) +
                 block({"classname", "team_CTF_bluespawn", "origin", "7 7 7", "spawnflags", "2"}) +
                 door + manager);
    const std::string et_map = ported(
        map, block({"classname", "worldspawn", "message", "Q", "mapcoordsmins", "-101 401",
                    "mapcoordsmaxs", "300 -200"}) +
                 block({"classname", "weapon_magicammo", "wait", "5"}) +
                 block({"classname", "weapon_magicammo"}) +
                 block({"classname", "team_CTF_redspawn", "origin", "8 8 8", "spawnflags", "3"}) +
                 block({"classname", "team_CTF_redspawn", "spawnflags", "3", "origin", "9 9 9"}) +
                 block({"classname", "team_CTF_bluespawn", "origin", "7 7 7", "spawnflags", "2"}) +
                 door + block({"classname", "shooter_rocket"}) +
                 block({"classname", "team_WOLF_objective", "spawnflags", "1", "description",
                        "Axis spawn", "origin", "8 8 8"}) +
                 block({"classname", "team_WOLF_objective", "spawnflags", "2", "description",
                        "Allied spawn", "origin", "7 7 7"}) +
                 manager);
    const std::string both_spawns =
        "\t\twait 150\n\t\tsetautospawn \"Axis spawn\" 0\n\t\tsetautospawn \"Allied spawn\" 1\n";
    // A table of its own: a quoted value, comments, and flags.
    const std::string own_table = "# mine\nrename ammo_cells weapon_magicammo # a pack\n"
                                  "set ammo_cells message \"a # b\"\r\nflags ammo_cells 12\n";
    // One spawn point past the 128 that a server collects.
    const std::string world_and_spots = world + times(129, entity("info_player_deathmatch"));
    const std::string usage = "usage: lumvert-port [--for GAME] [--table FILE] [--json] SOURCE "
                              "TARGET\nGAME: rtcw-mp, et\n";
    std::vector<std::pair<std::string, std::string>> files_made = {
        {"q3.bsp", map},
        {"spots.bsp", q3a_map(world_and_spots)},
        {"own.table", own_table},
        {"small.bsp", q3a_map(world + entity("ammo_cells", " \"spawnflags\" \"1\""))},
        {"wolf.bsp", with(map, 4, little_endian(47))},
        {"short.bsp", map.substr(0, 100)},
        {"brace.bsp", world_and("{ \"a\" }")},
        {"noworld.bsp", map_of({entity("info_null")})},
        {"crowd.bsp", world_and(entity("info_null", times(64, " \"k\" \"v\"")))},
        {"long.bsp",
         world_and(entity("info_null", " \"k\" \"" + std::string(1023, 'v') + "\"" + " \"l\" \"" +
                                           std::string(1023, 'v') + "\""))},
        {"kept/q3.script", "mine"},
        {"old.bsp", "old"},
        {"absent.table", "rename ammo_cells weapon_magicammo\nset ammo_cells notteam 1"},
    };
    std::vector<port_row> rows = {
        {{"q3.bsp", "rtcw/q3.bsp"},
         0,
         "q3.bsp: 14 entities, 3 renamed, 6 dropped, 1 added\n  ported for RTCW multiplayer "
         "into rtcw/q3.bsp: 9 entities\n  renamed: weapon_shotgun to weapon_thompson (1), "
         "ammo_bullets to "
         "weapon_magicammo (1), ammo_cells to weapon_magicammo (1)\n  dropped: item_quad (1), "
         "info_player_deathmatch (1), target_print (1), shooter_rocket (1), misc_unknown (1), "
         "light (1)\n"
         "  added: script_multiplayer (1)\n  script: rtcw/q3.script\n\n",
         "",
         {{"rtcw/q3.bsp", rtcw_map}, {"rtcw/q3.script", script("")}}},
        {{"--json", "--for", "et", "q3.bsp", "et/q3.bsp"},
         0,
         "{\"map\":\"q3.bsp\",\"target\":\"et/q3.bsp\",\"for\":\"et\",\"entities\":{\"in\":14,"
         "\"out\":11},\"renamed\":{\"ammo_bullets\":{\"weapon_magicammo\":1},\"ammo_cells\":{"
         "\"weapon_magicammo\":1},\"team_CTF_redplayer\":{\"team_CTF_redspawn\":1}},\"dropped\":{"
         "\"weapon_shotgun\":1,\"item_quad\":1,\"info_player_deathmatch\":1,\"target_print\":1,"
         "\"misc_unknown\":1,\"light\":1},\"unlisted_dropped\":0,\"added\":{\"script_multiplayer\":"
         "1,"
         "\"team_WOLF_objective\":2},\"script\":\"et/q3.script\"}\n",
         "",
         {{"et/q3.bsp", et_map}, {"et/q3.script", script(both_spawns)}}},
        {{"--json", "--table", "own.table", "small.bsp", "kept/q3.bsp"},
         0,
         "{\"map\":\"small.bsp\",\"target\":\"kept/q3.bsp\",\"for\":\"rtcw-mp\",\"entities\":{"
         "\"in\":2,\"out\":3},\"renamed\":{\"ammo_cells\":{\"weapon_magicammo\":1}},\"dropped\":{}"
         ",\"unlisted_dropped\":0,\"added\":{\"script_multiplayer\":1},\"script\":null}\n",
         "",
         {{"kept/q3.bsp",
           ported(files_made[3].second, world +
                                            block({"classname", "weapon_magicammo", "spawnflags",
                                                   "13", "message", "a # b"}) +
                                            manager)}}},
        {{"spots.bsp", "x.bsp"},
         0,
         "spots.bsp: 130 entities, 0 renamed, 1 dropped, 1 added\n  ported for RTCW "
         "multiplayer into x.bsp: 130 entities\n  dropped: info_player_deathmatch (1)\n  added: "
         "script_multiplayer (1)\n"
         "  script: x.script\n\n",
         "",
         {{"x.bsp",
           ported(files_made[1].second,
                  world + times(128, block({"classname", "info_player_deathmatch"})) + manager)},
          {"x.script", script("")}}},
        // Standard output appending to the source or the table takes nothing.
        {{"q3.bsp", "x.bsp"}, 2, "", "", {}, UINT64_MAX, "q3.bsp"},
        {{"--table", "own.table", "q3.bsp", "x.bsp"}, 1, "", "", {}, UINT64_MAX, "own.table"},
        {{"wolf.bsp", "x.bsp", "--json"},
         2,
         "{\"map\":\"wolf.bsp\",\"error\":\"already a map for RTCW or ET\"}\n",
         "wolf.bsp: already a map for RTCW or ET\n"},
        {{"short.bsp", "x.bsp"},
         2,
         "",
         "short.bsp: shorter (100 bytes) than the 144-byte header\n"},
        {{"brace.bsp", "x.bsp"},
         2,
         "",
         "brace.bsp: Q3A refuses its entity text: G_ParseSpawnVars: closing brace without data "
         "(entity block 2, byte 28)\n"},
        {{"noworld.bsp", "x.bsp"},
         2,
         "",
         "noworld.bsp: its first entity is not the world, which no game loads\n"},
        {{"crowd.bsp", "x.bsp"},
         2,
         "",
         "crowd.bsp: an entity has more than 64 keys, which no game loads (entity block 2, byte "
         "28)\n"},
        {{"long.bsp", "x.bsp"},
         2,
         "",
         "long.bsp: the ported map would not load: \"G_AddSpawnVarToken: MAX_SPAWN_VARS\"\n"},
        {{"missing.bsp", "x.bsp"}, 2, "", "missing.bsp: No such file or directory\n"},
        {{"--table", "absent.table", "small.bsp", "x.bsp"},
         2,
         "",
         "small.bsp: entities of the ported map would not appear: 1\n"},
        {{"rtcw", "x.bsp"}, 2, "", "rtcw: not a regular file\n"},
        {{"q3.bsp", "no/such/x.bsp"}, 3, "", "no/such/x.bsp: No such file or directory\n"},
        {{"q3.bsp", "rtcw"}, 3, "", "rtcw: not a regular file\n"},
        {{"q3.bsp", "./q3.bsp"}, 3, "", "./q3.bsp: the source under another name\n"},
        {{"q3.bsp"}, 1, "", "lumvert-port: name a source and a target\n" + usage},
        {{"--for", "q3a", "q3.bsp", "x.bsp"},
         1,
         "",
         "lumvert-port: --for takes rtcw-mp or et, --table a file\n" + usage},
        {{"-x", "q3.bsp", "x.bsp"}, 1, "", "lumvert-port: unknown option\n" + usage},
        {{"--table", "missing.table", "q3.bsp", "x.bsp"},
         1,
         "",
         "lumvert-port: missing.table: No such file or directory\n"},
#ifndef _WIN32
        // A write that fails leaves the target as it was, and nothing beside it.
        {{"q3.bsp", "old.bsp"}, 3, "", "old.bsp: cannot be written\n", {}, map.size() + 3},
#endif
    };
    // Each wrong table, with the line and reason it gets.
    const std::pair<std::string, std::string> wrong_tables[] = {
        {"rename a", "1: wrong number of words for rename"},
        {"\n# two\nexplode a", "3: no such rule: explode"},
        {"flags a 2x", "1: flags takes a number, not 2x"},
        {"rename a b", "1: a class the game cannot spawn: b"},
        {"drop a\nrename a info_null", "2: a second rename or drop of a"},
        {"set a k \"v", "1: a quote that does not close"},
        {"drop a\nset a k v", "2: a rule for a class the table drops: a"},
        {"set a k v w x", "1: too many words"}};
    for (const auto& [text, why] : wrong_tables) {
        const std::string name = "wrong" + std::to_string(rows.size()) + ".table";
        files_made.emplace_back(name, text);
        std::string said = "lumvert-port: " + name;
        rows.push_back({{"--table", name, "q3.bsp", "x.bsp"},
                        1,
                        "",
                        said.append(": line ").append(why + "\n")});
    }
    for (const auto& [name, bytes] : files_made) {
        fs::create_directories(utf8_path(name).parent_path() / ".");
        std::ofstream(utf8_path(name), std::ios::binary) << bytes;
    }
    fs::create_directory("rtcw");
    fs::create_directory("et");
    const auto before = files();
    for (const port_row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.arguments));
        EXPECT_EQ(run_as_started(row, folder.console, err), row.status);
        if (row.output.empty()) {
            EXPECT_EQ(bytes_of(folder.console), on_console(row.out));
        }
        EXPECT_EQ(bytes_of(err), on_console(row.err));
        auto expected = before;
        for (const auto& [name, bytes] : row.made) expected["./" + name] = bytes;
        EXPECT_EQ(files(), expected);
        for (const auto& [name, bytes] : row.made) {
            if (before.count("./" + name) == 0) fs::remove(utf8_path(name));
        }
    }
    fs::remove(err);
}

}  // namespace lumvert

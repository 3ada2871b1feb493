#include "check/run_check.hpp"

#include "check/report.hpp"
#include "map/text.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace lumvert {

namespace {

// A map that became standard output's or error's file ends the run without a word.
enum check_status { status_same = 0, status_differs = 1, status_failed = 2, status_silent = -1 };

struct options {
    game_choice games{game::q3a, game::rtcw_mp, false, false};
    bool json = false;
    int maps = 0;
};

bool is_game(file_name argument, game& which)
{
    for (int i = 0; i < game_count; ++i) {
        if (name_is(argument, row_of(static_cast<game>(i)).name)) {
            which = static_cast<game>(i);
            return true;
        }
    }
    return false;
}

int usage(const char* problem)
{
    const char* const pieces[] = {
        "lumvert-check: ", problem,
        "\nusage: lumvert-check [--from GAME] [--for GAME] [--json] MAP...\n"
        "GAME: q3a, rtcw-mp, rtcw-sp, et\n"};
    for (const char* piece : pieces) put(stderr, piece);
    return status_failed;
}

// Takes the options wherever they stand before a "--", and moves the maps' names to the front;
// null, or what is wrong with the arguments.
const char* read_arguments(int count, file_name* arguments, options& chosen)
{
    bool maps_only = false;
    for (int i = 0; i < count; ++i) {
        const file_name argument = arguments[i];
        const bool map = maps_only || argument[0] != '-' || argument[1] == 0;
        if (map) {
            arguments[chosen.maps++] = argument;
        }
        else if (name_is(argument, "--")) {
            maps_only = true;
        }
        else if (name_is(argument, "--json")) {
            chosen.json = true;
        }
        else if (!name_is(argument, "--from") && !name_is(argument, "--for")) {
            return "unknown option";
        }
        else if (i + 1 == count ||
                 !is_game(arguments[i + 1],
                          name_is(argument, "--from") ? chosen.games.from : chosen.games.target)) {
            return "--from and --for take a game";
        }
        else {
            (name_is(argument, "--from") ? chosen.games.from_given : chosen.games.target_given) =
                true;
            ++i;
        }
    }
    return chosen.maps == 0 ? "no map named" : nullptr;
}

// The bot files named as the map with its .bsp ending replaced, that lie beside it.
unsigned bot_files_beside(file_name map, made_name& name)
{
    unsigned found = 0;
    for (std::size_t i = 0; i < bot_file_count; ++i) {
        if (!name_ending_in(map, bot_file_endings[i], false, name)) return 0;
        const auto identity = identity_of(static_cast<file_name>(name.text));
        if (identity && identity->kind == file_kind::regular) found |= 1U << i;
    }
    return found;
}

// Room for one map's check, and its name in UTF-8 (a Windows path of 32,767 UTF-16 units).
struct check_room {
    findings found;
    check_workspace workspace;
    char name[3 * 32768];
    char error[512];
    made_name bot_file;
};

// Whether a map opened is a file that standard output or error write into.
bool prints_into_map(const file_identity& map)
{
    return is_standard_file(STDOUT_FILENO, map) || is_standard_file(STDERR_FILENO, map);
}

// Checks one map; its report is written, or its failure said, and its status returned.
int check_one(file_name map, const options& chosen, check_room& room)
{
    name_in_utf8(map, room.name, sizeof room.name);
    text_builder why = start_text(room.error, sizeof room.error);
    // A folder opens on Linux and not on Windows: asked first, it fails alike on both.
    const auto named = identity_of(map);
    if (named && named->kind != file_kind::regular) {
        append(why, "not a regular file");
        print_failure(room.name, room.error, chosen.json);
        return status_failed;
    }
    descriptor file{open_map(map)};
    if (file.number < 0) {
        append(why, std::strerror(errno));
        print_failure(room.name, room.error, chosen.json);
        return status_failed;
    }
    const auto identity = identity_of(file.number);
    if (identity && prints_into_map(*identity)) return status_silent;
    if (!identity || identity->kind != file_kind::regular) {
        append(why, "not a regular file");
        print_failure(room.name, room.error, chosen.json);
        return status_failed;
    }
    findings& found = room.found;
    if (!check_map(file.number, identity->size, chosen.games, found, room.workspace, why)) {
        print_failure(room.name, room.error, chosen.json);
        return status_failed;
    }
    print_report(room.name, found, bot_files_beside(map, room.bot_file), chosen.json);
    return absent_entities(found) > 0 || found.changed_flags > 0 || !loads(found) ? status_differs
                                                                                  : status_same;
}

}  // namespace

// Standard output or error that is a file the arguments name (`lumvert-check m.bsp 1<>m.bsp`)
// takes no text at all: the report would go into a map.
int run_check(int count, file_name* arguments)
{
    prepare_process();
    if (prints_into(STDOUT_FILENO, count, arguments) ||
        prints_into(STDERR_FILENO, count, arguments)) {
        return status_failed;
    }
    options chosen;
    if (const char* problem = read_arguments(count, arguments, chosen)) return usage(problem);
    // Holds no more for a larger map, and allocates nothing.
    static check_room room;
    int status = status_same;
    for (int i = 0; i < chosen.maps; ++i) {
        const int checked = check_one(arguments[i], chosen, room);
        if (checked == status_silent) return status_failed;
        status = checked > status ? checked : status;
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        put(stderr, "lumvert-check: the report could not be written\n");
        return status_failed;
    }
    return status;
}

}  // namespace lumvert

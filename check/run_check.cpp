#include "check/run_check.hpp"

#include "check/report.hpp"
#include "check/text.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace lumvert {

namespace {

enum check_status { status_same = 0, status_differs = 1, status_failed = 2 };

struct options {
    game from = game::q3a;
    game target = game::rtcw_mp;
    bool from_given = false;
    bool target_given = false;
    bool json = false;
};

// Whether an argument, bytes or UTF-16, is the ASCII text given.
bool is(file_name argument, const char* text)
{
    for (; *text != '\0'; ++argument, ++text) {
        if (*argument != *text) return false;
    }
    return *argument == 0;
}

bool is_game(file_name argument, game& which)
{
    constexpr game games[] = {game::q3a, game::rtcw_mp, game::rtcw_sp, game::et};
    for (const game each : games) {
        if (is(argument, game_name(each))) {
            which = each;
            return true;
        }
    }
    return false;
}

// How many arguments an option takes up, itself included; 0 for a map's name.
int option_width(file_name argument)
{
    if (is(argument, "--from") || is(argument, "--for")) return 2;
    return argument[0] == '-' && argument[1] != 0 ? 1 : 0;
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

// The options wherever they stand before a "--"; null, or what is wrong with them.
const char* read_options(int count, const file_name* arguments, options& chosen)
{
    int maps = 0;
    for (int i = 0; i<count; i += option_width(arguments[i])> 0 ? option_width(arguments[i]) : 1) {
        const file_name argument = arguments[i];
        if (is(argument, "--")) {
            maps += count - i - 1;
            break;
        }
        if (option_width(argument) == 0) {
            ++maps;
        }
        else if (is(argument, "--json")) {
            chosen.json = true;
        }
        else if (option_width(argument) == 1) {
            return "unknown option";
        }
        else if (i + 1 == count ||
                 !is_game(arguments[i + 1], is(argument, "--from") ? chosen.from : chosen.target)) {
            return "--from and --for take a game";
        }
        else {
            (is(argument, "--from") ? chosen.from_given : chosen.target_given) = true;
        }
    }
    return maps == 0 ? "no map named" : nullptr;
}

// The .aas files named as the map with its .bsp ending replaced, that lie beside it.
template <typename character> unsigned bot_files_beside(const character* map)
{
    character name[4096];
    std::size_t length = 0;
    while (map[length] != 0) ++length;
    if (length >= 4 && map[length - 4] == '.' && (map[length - 3] | 0x20) == 'b' &&
        (map[length - 2] | 0x20) == 's' && (map[length - 1] | 0x20) == 'p') {
        length -= 4;
    }
    unsigned found = 0;
    const char* const endings[] = {".aas", "_b0.aas", "_b1.aas"};
    for (unsigned i = 0; i < 3; ++i) {
        const std::size_t ending = std::strlen(endings[i]);
        if (length + ending >= sizeof name / sizeof *name) return 0;
        for (std::size_t at = 0; at < length; ++at) name[at] = map[at];
        for (std::size_t at = 0; at <= ending; ++at) {
            name[length + at] = static_cast<character>(endings[i][at]);
        }
        const auto identity = identity_of(static_cast<file_name>(name));
        if (identity && identity->kind == file_kind::regular) found |= 1U << i;
    }
    return found;
}

// Room for one map's check, and its name in UTF-8 (a Windows path of 32,767 UTF-16 units).
struct check_room {
    findings found;
    char name[3 * 32768];
};

// Checks one map; its report is written, or its failure said, and its status returned.
int check_one(file_name map, const options& chosen, check_room& room)
{
    name_in_utf8(map, room.name, sizeof room.name);
    findings& found = room.found;
    found.from = chosen.from;
    found.target = chosen.target;
    // A folder opens on Linux and not on Windows: asked first, it fails alike on both.
    const auto named = identity_of(map);
    const char* failure = "not a regular file";
    int file = -1;
    std::optional<file_identity> identity;
    if (!named || named->kind == file_kind::regular) {
        file = open_source(map);
        if (file < 0) {
            failure = std::strerror(errno);
        }
        else {
            identity = identity_of(file);
            if (identity && identity->kind == file_kind::regular) failure = nullptr;
        }
    }
    const bool checked = failure == nullptr && check_map(file, identity->size, chosen.from_given,
                                                         chosen.target_given, found);
    const bool reported =
        checked && print_report(room.name, file, found, bot_files_beside(map), chosen.json);
    if (file >= 0) close(file);
    if (!reported) {
        print_failure(room.name, failure != nullptr ? failure : found.error,
                      chosen.json && !checked);
        return status_failed;
    }
    return found.unknown > 0 || found.changed_flags > 0 || !loads(found) ? status_differs
                                                                         : status_same;
}

}  // namespace

int run_check(int count, const file_name* arguments)
{
    prepare_process();
    options chosen;
    if (const char* problem = read_options(count, arguments, chosen)) return usage(problem);
    // Holds no more for a larger map, and allocates nothing.
    static check_room room;
    int status = status_same;
    bool maps_only = false;
    for (int i = 0; i < count;) {
        const int width = maps_only ? 0 : option_width(arguments[i]);
        maps_only = maps_only || is(arguments[i], "--");
        if (width > 0) {
            i += width;
            continue;
        }
        const int checked = check_one(arguments[i++], chosen, room);
        status = checked > status ? checked : status;
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        put(stderr, "lumvert-check: the report could not be written\n");
        return status_failed;
    }
    return status;
}

}  // namespace lumvert

#include "port/run_port.hpp"

#include "check/map_check.hpp"
#include "convert/version_copy.hpp"
#include "port/report.hpp"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace lumvert {

namespace {

enum port_status {
    status_ported = 0,
    status_usage = 1,
    status_source_failed = 2,
    status_target_failed = 3
};

// No loadable map comes near it: some 1,000 entities of at most 2,048 characters.
constexpr std::uint64_t most_entity_text = std::uint64_t{4} * 1024 * 1024;

struct options {
    game target = game::rtcw_mp;
    file_name table = nullptr;
    bool json = false;
    file_name source = nullptr;
    file_name target_name = nullptr;
};

// Takes the options wherever they stand before a "--"; null, or what is wrong with them.
const char* read_arguments(int count, const file_name* arguments, options& chosen)
{
    int names = 0;
    bool names_only = false;
    for (int i = 0; i < count; ++i) {
        const file_name argument = arguments[i];
        if (names_only || argument[0] != '-' || argument[1] == 0) {
            if (names++ < 2) (names == 1 ? chosen.source : chosen.target_name) = argument;
        }
        else if (name_is(argument, "--")) {
            names_only = true;
        }
        else if (name_is(argument, "--json")) {
            chosen.json = true;
        }
        else if (name_is(argument, "--table") && i + 1 < count) {
            chosen.table = arguments[++i];
        }
        else if (name_is(argument, "--for") && i + 1 < count &&
                 (name_is(arguments[i + 1], "rtcw-mp") || name_is(arguments[i + 1], "et"))) {
            chosen.target = name_is(arguments[++i], "et") ? game::et : game::rtcw_mp;
        }
        else {
            return name_is(argument, "--for") || name_is(argument, "--table")
                       ? "--for takes rtcw-mp or et, "
                         "--table a file"
                       : "unknown option";
        }
    }
    return names != 2 ? "name a source and a target" : nullptr;
}

int usage(const char* problem)
{
    const char* const pieces[] = {
        "lumvert-port: ", problem,
        "\nusage: lumvert-port [--for GAME] [--table FILE] [--json] SOURCE TARGET\n"
        "GAME: rtcw-mp, et\n"};
    for (const char* piece : pieces) put(stderr, piece);
    return status_usage;
}

bool prints_into_any(int count, const file_name* names)
{
    return prints_into(STDOUT_FILENO, count, names) || prints_into(STDERR_FILENO, count, names);
}

// Everything a port holds, in fixed room: it holds no more for a larger map.
struct port_state {
    port_table table;
    port_plan plan;
    port_counts counts;
    port_room room;
    findings found;
    check_workspace workspace;
    copy_block block;
    made_name temporary;
    made_name script;
    char names[3][3 * 32768];
    char error[1024];
    char script_words[1024];
};

// Reads the table named, or the built-in one, into `state.table`.
bool take_table(const options& chosen, port_state& state, text_builder& why)
{
    port_table& table = state.table;
    const game_row& target = row_of(chosen.target);
    if (chosen.table == nullptr) {
        text_builder text = start_text(table.text, sizeof table.text);
        append(text, default_table(chosen.target));
        return read_table(table, target, why);
    }
    const descriptor file{open_map(chosen.table)};
    const auto identity = file.number >= 0 ? identity_of(file.number) : std::nullopt;
    if (!identity || identity->kind != file_kind::regular) {
        append(why, file.number < 0 ? std::strerror(errno) : "not a regular file");
        return false;
    }
    if (identity->size >= sizeof table.text) {
        append(why, "larger than the 64 KiB a table may take");
        return false;
    }
    const auto size = static_cast<std::size_t>(identity->size);
    if (!read_at(file.number, 0, table.text, size)) {
        append(why, "cannot be read");
        return false;
    }
    table.text[size] = '\0';
    if (std::memchr(table.text, '\0', size) != nullptr) {
        append(why, "holds a NUL byte: it is no text");
        return false;
    }
    return read_table(table, target, why);
}

void take_bounds(int file, const bsp_header& header, port_plan& plan)
{
    char model[40];
    if (header.lumps[models_lump].length < sizeof model ||
        !read_at(file, header.lumps[models_lump].offset, model, sizeof model)) {
        return;
    }
    // Model 0 is the world; its bounds, cut to whole units outward and to the world's limits.
    for (std::size_t i = 0; i < 2; ++i) {
        for (std::size_t corner = 0; corner < 2; ++corner) {
            float value = 0;
            std::memcpy(&value, model + 12 * corner + 4 * i, sizeof value);
            const float limit = 131072;
            value = !(value > -limit) ? -limit : !(value < limit) ? limit : value;
            auto whole = static_cast<std::int64_t>(value);
            if (corner == 0 && static_cast<float>(whole) > value) --whole;
            if (corner == 1 && static_cast<float>(whole) < value) ++whole;
            (corner == 0 ? plan.mins : plan.maxs)[i] = whole;
        }
    }
    plan.has_bounds = true;
}

// The map script beside the target: the respawn times and the round's time limit, and in ET the
// spawn point that each team's players start at.
void write_script_text(bool objectives, const port_plan& plan, text_builder& text)
{
    append(text,
           "// Written by lumvert-port: the respawn times in seconds, the round's time limit in\n"
           "// minutes. Change them as the map wants.\ngame_manager\n{\n\tspawn\n\t{\n"
           "\t\twm_axis_respawntime 20\n\t\twm_allied_respawntime 20\n"
           "\t\twm_set_round_timelimit 20\n\t\twm_setwinner -1\n");
    if (objectives && plan.red.count + plan.blue.count > 0) {
        // An objective names its spawn point only once it has thought, a frame after it spawned.
        append(text, "\t\twait 150\n");
        for (int team = 0; team < 2; ++team) {
            if ((team == 0 ? plan.red : plan.blue).count == 0) continue;
            append(text, "\t\tsetautospawn \"");
            append(text, team == 0 ? axis_spawn : allied_spawn);
            append(text, team == 0 ? "\" 0\n" : "\" 1\n");
        }
    }
    append(text, "\t}\n}\n");
}

// Why the ported map would not be loaded whole, from the check's own rules; null where it would.
const char* refused_by_check(const findings& found, text_builder& why)
{
    for (std::size_t i = 0; i < load_rule_count; ++i) {
        if (load_rules[i].count(found) == 0) continue;
        append(why, "the ported map would not load: \"");
        append(why, load_rules[i].message(found));
        append(why, "\"");
        return why.at;
    }
    if (absent_entities(found) == 0) return nullptr;
    append(why, "entities of the ported map would not appear: ");
    append(why, absent_entities(found));
    return why.at;
}

// The source is read and checked, the target written beside its name and put in its place only
// once whole and checked: a failed run leaves the target as it was.
int port_map(const options& chosen, port_state& state)
{
    std::memset(&state.plan, 0, sizeof state.plan);
    std::memset(&state.counts, 0, sizeof state.counts);
    name_in_utf8(chosen.source, state.names[0], sizeof state.names[0]);
    name_in_utf8(chosen.target_name, state.names[1], sizeof state.names[1]);
    text_builder why = start_text(state.error, sizeof state.error);
    const auto source_failed = [&] {
        print_failure(state.names[0], state.error, chosen.json);
        return status_source_failed;
    };
    const auto target_failed = [&](const char* name) {
        print_failure(name, state.error, chosen.json);
        return status_target_failed;
    };
    const auto named = identity_of(chosen.source);
    const descriptor source{named && named->kind != file_kind::regular ? -1
                                                                       : open_map(chosen.source)};
    const auto identity = source.number >= 0 ? identity_of(source.number) : std::nullopt;
    if (!identity || identity->kind != file_kind::regular) {
        append(why, source.number < 0 && !named ? std::strerror(errno) : "not a regular file");
        return source_failed();
    }
    bsp_header header{};
    if (!read_header(source.number, identity->size, header, why)) return source_failed();
    const lump& text = header.lumps[entities_lump];
    if (header.version != version_q3a) append(why, "already a map for RTCW or ET");
    if (header.version == version_q3a && text.length > most_entity_text) {
        append(why, "its entity text is larger than the 4 MiB that lumvert-port takes");
    }
    if (*state.error != '\0') return source_failed();
    const auto existing = identity_of(chosen.target_name);
    if (existing &&
        (existing->kind != file_kind::regular || may_be_one_file(*identity, *existing))) {
        append(why, existing->kind != file_kind::regular ? "not a regular file"
                                                         : "the source under another name");
        return target_failed(state.names[1]);
    }
    const game_row& target = row_of(chosen.target);
    take_bounds(source.number, header, state.plan);
    if (survey(source.number, text, state.plan, state.room, why) != port_outcome::ported) {
        return source_failed();
    }
    // The entity text goes after the copy, 4-aligned; every other lump stays where it was.
    if (!name_ending_in(chosen.target_name, ".lumvert-port~", true, state.temporary) ||
        !name_ending_in(chosen.target_name, ".script", false, state.script)) {
        append(why, "the name is too long");
        return target_failed(state.names[1]);
    }
    const file_name temporary = state.temporary.text;
    remove_file(temporary);
    descriptor written{open_new(temporary)};
    if (written.number < 0) {
        append(why, std::strerror(errno));
        return target_failed(state.names[1]);
    }
    const auto fail_written = [&](int status) {
        written.close_now();
        remove_file(temporary);
        return status == status_source_failed ? source_failed() : target_failed(state.names[1]);
    };
    const copy_result copied =
        rewind_file(source.number)
            ? copy_with_version(source.number, written.number, version_rtcw, state.block)
            : copy_result{copy_read_failed, 0};
    if (copied.outcome != copy_completed || copied.length != identity->size) {
        append(why, copied.outcome == copy_read_failed || copied.length != identity->size
                        ? "cannot be read"
                        : "cannot be written");
        return fail_written(copied.outcome == copy_read_failed ? status_source_failed
                                                               : status_target_failed);
    }
    const std::uint64_t start = (copied.length + 3) / 4 * 4;
    state.room.file = written.number;
    state.room.offset = start;
    const char zeros[4] = {};
    const port_outcome outcome =
        write_at(written.number, copied.length, zeros, start - copied.length)
            ? rewrite(source.number, text, state.table, target, state.plan, state.counts,
                      state.room, why)
            : port_outcome::write_failed;
    if (outcome == port_outcome::source_failed) return fail_written(status_source_failed);
    const std::uint64_t length = state.room.offset - start;
    char directory[8];
    for (int i = 0; i < 8; ++i) {
        directory[i] = static_cast<char>((i < 4 ? start : length) >> (8 * (i % 4)));
    }
    if (outcome == port_outcome::write_failed || !write_at(written.number, 8, directory, 8)) {
        append(why, "cannot be written");
        return fail_written(status_target_failed);
    }
    if (start + length > INT32_MAX) {
        append(why, "the ported map would be past the 2 GiB a map's header can say");
        return fail_written(status_source_failed);
    }
    const game_choice games{chosen.target, chosen.target, true, true};
    if (!check_map(written.number, start + length, games, state.found, state.workspace, why) ||
        refused_by_check(state.found, why) != nullptr) {
        return fail_written(status_source_failed);
    }
    if (!written.close_now()) {
        append(why, "cannot be written");
        return fail_written(status_target_failed);
    }
    // An existing script is the map maker's: it stays.
    descriptor script{open_new(state.script.text)};
    const bool script_made = script.number >= 0;
    name_in_utf8(state.script.text, state.names[2], sizeof state.names[2]);
    if (!script_made && errno != EEXIST) {
        append(why, std::strerror(errno));
        remove_file(temporary);
        return target_failed(state.names[2]);
    }
    text_builder script_words = start_text(state.script_words, sizeof state.script_words);
    write_script_text(target.wolf_objectives, state.plan, script_words);
    if (script_made &&
        (!write_at(script.number, 0, state.script_words, std::strlen(state.script_words)) ||
         !script.close_now())) {
        append(why, "cannot be written");
        remove_file(state.script.text);
        remove_file(temporary);
        return target_failed(state.names[2]);
    }
    if (!replace_file(temporary, chosen.target_name)) {
        append(why, std::strerror(errno));
        if (script_made) remove_file(state.script.text);
        remove_file(temporary);
        return target_failed(state.names[1]);
    }
    print_port({state.names[0], state.names[1], script_made ? state.names[2] : nullptr}, target,
               state.table, state.counts, chosen.json);
    return status_ported;
}

}  // namespace

// Standard output or error that is a file the arguments name takes no text at all.
int run_port(int count, const file_name* arguments)
{
    prepare_process();
    options chosen;
    const char* problem = read_arguments(count, arguments, chosen);
    if (problem != nullptr) {
        return prints_into_any(count, arguments) ? status_usage : usage(problem);
    }
    if (prints_into_any(1, &chosen.source)) return status_source_failed;
    if (prints_into_any(1, &chosen.target_name)) return status_target_failed;
    if (chosen.table != nullptr && prints_into_any(1, &chosen.table)) return status_usage;
    // Holds no more for a larger map, and allocates nothing.
    static port_state state;
    text_builder why = start_text(state.error, sizeof state.error);
    if (!take_table(chosen, state, why)) {
        put(stderr, "lumvert-port: ");
        if (chosen.table != nullptr) {
            name_in_utf8(chosen.table, state.names[0], sizeof state.names[0]);
            put_name(stderr, state.names[0], std::strlen(state.names[0]));
            put(stderr, ": ");
        }
        put(stderr, state.error);
        put(stderr, "\n");
        return status_usage;
    }
    const int status = port_map(chosen, state);
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        put(stderr, "lumvert-port: the report could not be written\n");
        return status == status_ported ? status_target_failed : status;
    }
    return status;
}

}  // namespace lumvert

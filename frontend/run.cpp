#include "frontend/run.hpp"

#include "convert/version_copy.hpp"
#include "files/files.hpp"
#include "frontend/console_texts.hpp"

#include <unistd.h>

namespace lumvert {

namespace {

// Exit statuses. Status 4 serves two conditions, as it always has.
enum exit_status {
    status_converted = 0,
    status_usage = 1,
    status_source_failed = 2,
    status_target_failed = 3,
    status_bad_option = 4,
    status_write_failed = 4,
    status_version_write_failed = 5,
};

// Only the first two characters count: -u, -undo and -ux all mean undo.
bool is_undo_option(file_name argument) { return argument[0] == '-' && argument[1] == 'u'; }

// Only a target longer than the map keeps an older tail to cut: a new, shorter or equal one is
// whole already, even on a file system that cannot shorten files.
bool cut_to_length(int target, std::uint64_t length)
{
    const auto written = identity_of(target);
    return written && (written->size <= length || shorten_file(target, length));
}

// Writes over a regular target and shortens it only once the copy is whole: a target that is
// the source under a name no identity shows then ends as the converted source, never empty. A
// source that ends before the size it had when opened, or fails to close, was not read whole.
copy_outcome copy_and_close(descriptor& source, const file_identity& source_identity,
                            descriptor& target, const file_identity& target_identity,
                            unsigned char version, copy_block& block)
{
    const copy_result copied = copy_with_version(source.number, target.number, version, block);
    copy_outcome outcome = copied.outcome;
    const bool source_closed = source.close_now();
    if (outcome == copy_completed &&
        (!source_closed ||
         (source_identity.kind == file_kind::regular && copied.length < source_identity.size))) {
        outcome = copy_read_failed;
    }
    if (outcome == copy_completed && target_identity.kind == file_kind::regular &&
        !cut_to_length(target.number, copied.length)) {
        outcome = copy_write_failed;
    }
    // A network share may report a failed write only when the file closes.
    if (!target.close_now() && outcome == copy_completed) outcome = copy_write_failed;
    return outcome;
}

// The run from the open source to the closed target. Every check of the target comes before it
// is written, so a refusal leaves an existing target whole; the block is static, so nothing can
// fail between the open target and the copy.
int convert_file(file_name source_name, file_name target_name, unsigned char version)
{
    static copy_block block;
    descriptor source{open_source(source_name)};
    const auto source_identity = identity_of(source.number);
    // A folder opens for reading on Linux and fails only at the first read.
    if (!source_identity || source_identity->kind == file_kind::folder) {
        print_text("Error opening file!");
        return status_source_failed;
    }
    // Refused before it is opened: a write open of the source waits while a file server breaks
    // its lease, and tells every watcher that the source was written.
    const auto existing = identity_of(target_name);
    if (existing && may_be_one_file(*source_identity, *existing)) {
        print_text("Source and target are the same file!");
        return status_target_failed;
    }
    // Compared again as an open file: the name may have changed meanwhile.
    descriptor target{open_target(target_name)};
    if (target.number < 0) {
        print_text("Error writing file!");
        return status_target_failed;
    }
    const auto target_identity = identity_of(target.number);
    if (!target_identity || may_be_one_file(*source_identity, *target_identity) ||
        (source_identity->kind != file_kind::regular &&
         is_standard_file(STDIN_FILENO, *target_identity))) {
        print_text("Source and target are the same file!");
        return status_target_failed;
    }
    // Standard output became the target after the run looked: the map would go into the texts.
    if (is_standard_file(STDOUT_FILENO, *target_identity)) return status_target_failed;
    switch (copy_and_close(source, *source_identity, target, *target_identity, version, block)) {
    case copy_read_failed:
        print_text("Error reading file!");
        return status_source_failed;
    case copy_version_write_failed:
        print_text("Error during writing file at sensible part!");
        return status_version_write_failed;
    case copy_write_failed:
        print_text("Error during writing file!");
        return status_write_failed;
    case copy_completed:
        break;
    }
    print_success_hints();
    print_text("\n");
    return status_converted;
}

}  // namespace

// Standard output that is a file the arguments name (`lumvert map.bsp new.bsp >>map.bsp`) takes
// no text at all, not even the usage text: the run ends silently, and a call that would convert
// ends before it opens anything.
int run_lumvert(int count, const file_name* arguments)
{
    prepare_process();
    // Three arguments must begin with the undo option. Anything else there is
    // refused: -U meant as undo must not convert forward, and with "-x" taken
    // as the source the map named next would be written over as the target.
    const bool undo = count == 3;
    if (count < 2 || count > 3 || (undo && !is_undo_option(arguments[0]))) {
        if (!prints_into(STDOUT_FILENO, count, arguments)) {
            print_banner();
            print_usage();
        }
        return undo ? status_bad_option : status_usage;
    }
    const file_name* names = arguments + (undo ? 1 : 0);
    if (prints_into(STDOUT_FILENO, 1, names)) return status_source_failed;
    if (prints_into(STDOUT_FILENO, 1, names + 1)) return status_target_failed;
    print_banner();
    return convert_file(names[0], names[1], undo ? version_q3a : version_rtcw);
}

}  // namespace lumvert

#include "frontend/run.hpp"

#include "frontend/console_texts.hpp"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <system_error>

namespace lumvert {

namespace {

namespace fs = std::filesystem;

// Only the first two characters count: -u, -undo and -ux all mean undo.
bool is_undo_option(const fs::path& argument)
{
    const fs::path::string_type& text = argument.native();
    return text.size() >= 2 && text[0] == '-' && text[1] == 'u';
}

// On Linux a directory opens for reading and fails only at the first read,
// which would come after the target had been truncated.
bool is_a_directory(const fs::path& name)
{
    std::error_code error;
    return fs::is_directory(name, error);
}

// Files, not names: ./map.bsp, a hard link or a symbolic link to the source
// would otherwise be truncated as the target before the source is read. A
// check that cannot decide counts as the same file; a target that does not
// exist yet is no error.
bool is_same_file(const fs::path& source, const fs::path& target)
{
    std::error_code error;
    return fs::equivalent(source, target, error) || error;
}

int convert_file(const fs::path& source_name, const fs::path& target_name, unsigned char version)
{
    std::ifstream source(source_name, std::ios::binary);
    if (!source.is_open() || is_a_directory(source_name)) {
        std::cout << "Error opening file!";
        return status_source_failed;
    }
    if (is_same_file(source_name, target_name)) {
        std::cout << "Source and target are the same file!";
        return status_target_failed;
    }
    std::ofstream target(target_name, std::ios::binary | std::ios::trunc);
    if (!target.is_open()) {
        std::cout << "Error writing file!";
        return status_target_failed;
    }
    const copy_outcome outcome = copy_with_version(source, target, version);
    if (outcome != copy_completed) {
        return report_copy_failure(outcome);
    }
    source.close();
    // A full disk often shows only when the last buffered bytes go out.
    target.close();
    if (target.fail()) {
        return report_copy_failure(copy_write_failed);
    }
    print_success_hints();
    std::cout << "\n";
    return status_converted;
}

}  // namespace

int run_lumvert(const std::vector<fs::path>& arguments)
{
    print_banner();
    if (arguments.size() < 3 || arguments.size() > 4) {
        print_usage();
        return status_usage;
    }
    // Three arguments must begin with the undo option. Anything else there is
    // refused: -U meant as undo must not convert forward, and with "-x" taken
    // as the source the map named next would be truncated as the target.
    const bool undo = arguments.size() == 4;
    if (undo && !is_undo_option(arguments[1])) {
        print_usage();
        return status_bad_option;
    }
    const std::size_t shift = undo ? 1 : 0;
    return convert_file(arguments[1 + shift], arguments[2 + shift],
                        undo ? version_q3a : version_rtcw);
}

int report_copy_failure(copy_outcome outcome)
{
    switch (outcome) {
    case copy_completed:
        return status_converted;
    case copy_version_write_failed:
        std::cout << "Error during writing file at sensible part!";
        return status_version_write_failed;
    case copy_read_failed:
        std::cout << "Error reading file!";
        return status_source_failed;
    case copy_write_failed:
        break;
    }
    std::cout << "Error during writing file!";
    return status_write_failed;
}

}  // namespace lumvert

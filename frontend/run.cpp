#include "frontend/run.hpp"

#include "convert/version_copy.hpp"
#include "frontend/console_texts.hpp"

#include <fcntl.h>
#include <iostream>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace lumvert {

namespace {

namespace fs = std::filesystem;

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

#ifdef _WIN32
// The UTF-16 name as it came, in binary mode: \r\n and 0x1A pass untranslated.
int open_file(const fs::path& name, int flags)
{
    return _wopen(name.c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
#else
int open_file(const fs::path& name, int flags)
{
    return open(name.c_str(), flags | O_CLOEXEC, 0666);
}
#endif

int report_copy(copy_outcome outcome)
{
    switch (outcome) {
    case copy_completed:
        print_success_hints();
        std::cout << "\n";
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

int copy_into(int source, const fs::path& source_name, const fs::path& target_name,
              unsigned char version)
{
    if (is_same_file(source_name, target_name)) {
        std::cout << "Source and target are the same file!";
        return status_target_failed;
    }
    const int target = open_file(target_name, O_WRONLY | O_CREAT | O_TRUNC);
    if (target < 0) {
        std::cout << "Error writing file!";
        return status_target_failed;
    }
    const copy_outcome outcome = copy_with_version(source, target, version);
    // A network share may report a failed write only when the file closes.
    const bool closed = close(target) == 0;
    return report_copy(outcome == copy_completed && !closed ? copy_write_failed : outcome);
}

int convert_file(const fs::path& source_name, const fs::path& target_name, unsigned char version)
{
    const int source = is_a_directory(source_name) ? -1 : open_file(source_name, O_RDONLY);
    if (source < 0) {
        std::cout << "Error opening file!";
        return status_source_failed;
    }
    const int status = copy_into(source, source_name, target_name, version);
    close(source);
    return status;
}

}  // namespace

int run_lumvert(const std::vector<fs::path>& arguments)
{
    print_banner();
    if (arguments.size() < 2 || arguments.size() > 3) {
        print_usage();
        return status_usage;
    }
    // Three arguments must begin with the undo option. Anything else there is
    // refused: -U meant as undo must not convert forward, and with "-x" taken
    // as the source the map named next would be truncated as the target.
    const bool undo = arguments.size() == 3;
    if (undo && !is_undo_option(arguments[0])) {
        print_usage();
        return status_bad_option;
    }
    const std::size_t first_name = undo ? 1 : 0;
    return convert_file(arguments[first_name], arguments[first_name + 1],
                        undo ? version_q3a : version_rtcw);
}

}  // namespace lumvert

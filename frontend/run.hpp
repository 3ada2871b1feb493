#pragma once

#include "convert/version_copy.hpp"

#include <filesystem>
#include <vector>

namespace lumvert {

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

// The whole run: banner, argument checks, the copy, and its messages.
// Returns the process's exit status. The arguments are the process's own,
// its name first, each kept as the system spells names (bytes on POSIX
// systems, UTF-16 on Windows), so no file name changes on the way.
int run_lumvert(const std::vector<std::filesystem::path>& arguments);

// Prints the message for a failed copy and returns its exit status.
int report_copy_failure(copy_outcome outcome);

}  // namespace lumvert

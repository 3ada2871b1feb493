#pragma once

#include <filesystem>
#include <vector>

namespace lumvert {

// The whole run: banner, argument checks, the copy, and its messages.
// Returns the process's exit status. The arguments are the user's, without
// the program's name, each kept as the system spells names (bytes on POSIX
// systems, UTF-16 on Windows), so no file name changes on the way.
int run_lumvert(const std::vector<std::filesystem::path>& arguments);

}  // namespace lumvert

#pragma once

#include "files/files.hpp"

namespace lumvert {

// The whole run: banner, argument checks, the copy, and its messages. Takes the user's
// arguments, without the program's name, and returns the process's exit status.
int run_lumvert(int count, const file_name* arguments);

}  // namespace lumvert

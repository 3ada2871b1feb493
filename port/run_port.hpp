#pragma once

#include "files/files.hpp"

namespace lumvert {

// Ports the map the arguments name (without the program's name) for another game, and returns
// the exit status: 0 where it was ported, 1 where the arguments or the table are wrong, 2 where
// the source cannot be ported, 3 where the target cannot be written.
int run_port(int count, const file_name* arguments);

}  // namespace lumvert

#pragma once

#include "files/files.hpp"

namespace lumvert {

// Checks each map the arguments name (without the program's name) for what another game makes of
// it, and returns the exit status: 0 where nothing differs, 1 where something does, 2 where a
// map could not be checked or the arguments are wrong. The maps' names move to the front of
// `arguments`, in their order.
int run_check(int count, file_name* arguments);

}  // namespace lumvert

// libFuzzer over the map reader and both reports: the input is a map in a memory file, read as
// from and for the games its last byte picks, and reported, to the null device.
#include "check/report.hpp"

#include <cstdint>
#include <cstdio>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return std::freopen("/dev/null", "w", stdout) != nullptr ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace lumvert;
    static findings found;
    static check_workspace room;
    const int file = memfd_create("map", 0);
    if (file < 0 || write(file, data, size) != static_cast<ssize_t>(size)) return 0;
    const unsigned pick = size > 0 ? data[size - 1] : 0;
    const game_choice games{static_cast<game>(pick & 3), static_cast<game>(pick >> 2 & 3),
                            (pick & 16) != 0, (pick & 32) != 0};
    char error[512];
    text_builder why = start_text(error, sizeof error);
    if (check_map(file, size, games, found, room, why)) {
        print_report("map\xe9\x9b.bsp", found, pick >> 6, (pick & 1) != 0);
    }
    close(file);
    return 0;
}

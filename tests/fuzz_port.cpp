// libFuzzer over the port: the input is a table, a NUL, then a map, each in a memory file, ported
// for the game its first byte picks into a folder of its own, with the reports to the null device
// (and its error lines too, with -close_fd_mask=2).
#include "port/run_port.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

std::string folder;

std::string memory_file(const std::uint8_t* data, std::size_t size)
{
    const int file = memfd_create("input", 0);
    if (file < 0 || write(file, data, size) != static_cast<ssize_t>(size)) std::abort();
    return "/proc/self/fd/" + std::to_string(file);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char name[] = "/tmp/fuzz_port.XXXXXX";
    if (mkdtemp(name) == nullptr) return 1;
    folder = name;
    return std::freopen("/dev/null", "w", stdout) != nullptr ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const auto* end = static_cast<const std::uint8_t*>(std::memchr(data + 1, 0, size - 1));
    const std::size_t table_size = end != nullptr ? static_cast<std::size_t>(end - data - 1) : 0;
    const std::string table = memory_file(data + 1, table_size);
    const std::size_t map_at = end != nullptr ? table_size + 2 : 1;
    const std::string map = memory_file(data + map_at, size - map_at);
    const std::string target = folder + "/map.bsp";
    // Without a NUL, the built-in table.
    const char* arguments[6] = {"--for", (data[0] & 1) != 0 ? "et" : "rtcw-mp"};
    int count = 2;
    if (end != nullptr) {
        arguments[count++] = "--table";
        arguments[count++] = table.c_str();
    }
    arguments[count++] = map.c_str();
    arguments[count++] = target.c_str();
    lumvert::run_port(count, arguments);
    for (const std::string& name : {table, map}) close(std::stoi(name.substr(14)));
    unlink(target.c_str());
    unlink((folder + "/map.script").c_str());
    return 0;
}

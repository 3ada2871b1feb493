#include "convert/version_copy.hpp"

#include <optional>
#include <unistd.h>

namespace lumvert {

namespace {

constexpr std::size_t block_size = sizeof(copy_block::bytes);
constexpr std::size_t version_offset = 4;

// Fills the block unless the source ends first: a pipe delivers a map in
// pieces, so a short read is not the end. Returns the bytes read, none on an error.
std::optional<std::size_t> read_block(int source, copy_block& block)
{
    std::size_t filled = 0;
    while (filled < block_size) {
        // The count fits Windows' unsigned int as well as POSIX's size_t.
        const auto count =
            read(source, block.bytes + filled, static_cast<unsigned>(block_size - filled));
        if (count < 0) return std::nullopt;
        if (count == 0) break;
        filled += static_cast<std::size_t>(count);
    }
    return filled;
}

// A write may take fewer bytes than asked (a nearly full disk, a file size
// limit): the rest goes out in the next call, which then reports the error.
bool write_all(int target, const char* bytes, std::size_t count)
{
    while (count > 0) {
        const auto written = write(target, bytes, static_cast<unsigned>(count));
        if (written <= 0) return false;
        bytes += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

copy_outcome write_block(int target, const char* bytes, std::size_t count)
{
    return write_all(target, bytes, count) ? copy_completed : copy_write_failed;
}

// The version byte goes out on its own, so a failure to write exactly that
// byte can be told from a failure to write any other.
copy_outcome write_first_block(int target, const char* bytes, std::size_t count,
                               unsigned char version)
{
    if (count <= version_offset) return write_block(target, bytes, count);
    if (!write_all(target, bytes, version_offset)) return copy_write_failed;
    const char byte = static_cast<char>(version);
    if (!write_all(target, &byte, 1)) return copy_version_write_failed;
    return write_block(target, bytes + version_offset + 1, count - version_offset - 1);
}

// Hands what follows to the kernel, as cp does: where the file system shares
// blocks (XFS, Btrfs) it clones them, and on NFS or SMB the server copies.
// Wherever the kernel stops or refuses, whatever the reason, the plain loop
// goes on from the same offsets and finds the end, or the error, itself: a
// pseudo file reports size 0 and so copies nothing here. Returns the bytes copied.
std::uint64_t copy_in_kernel([[maybe_unused]] int source, [[maybe_unused]] int target)
{
    std::uint64_t copied = 0;
#ifdef __linux__
    constexpr std::size_t most = std::size_t{1} << 30;
    ssize_t count = 0;
    while ((count = copy_file_range(source, nullptr, target, nullptr, most, 0)) > 0) {
        copied += static_cast<std::uint64_t>(count);
    }
#endif
    return copied;
}

}  // namespace

copy_result copy_with_version(int source, int target, unsigned char version, copy_block& block)
{
    std::uint64_t length = 0;
    for (bool first = true;; first = false) {
        const auto count = read_block(source, block);
        if (!count) return {copy_read_failed, length};
        const copy_outcome written = first ? write_first_block(target, block.bytes, *count, version)
                                           : write_block(target, block.bytes, *count);
        length += *count;
        // Only the end of the source leaves a block short.
        if (written != copy_completed || *count < block_size) return {written, length};
        if (first) length += copy_in_kernel(source, target);
    }
}

}  // namespace lumvert

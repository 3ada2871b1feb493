#pragma once

#include "map/bsp.hpp"

#include <cstddef>
#include <cstdint>

namespace lumvert {

// cp's copy buffer size, and a multiple of every file system's block size, so that the kernel
// can share all blocks after the first between source and target. Page-aligned, because the
// kernel copies to and from such a buffer faster than to one a few bytes off.
struct alignas(4096) copy_block {
    char bytes[std::size_t{128} * 1024];
};

enum copy_outcome {
    copy_completed,
    copy_version_write_failed,
    copy_write_failed,
    copy_read_failed,
};

struct copy_result {
    copy_outcome outcome;
    std::uint64_t length;  // of the whole copy, once completed
};

// Copies the file open as `source` into the file open as `target` (descriptors, both at their
// starts) through `block`, unchanged except for the byte at offset 4, which becomes `version`.
// A source shorter than five bytes is copied unchanged. Each block is read before it is written
// at the same offset, so the two may be one file. Both stay open; on a failure the target keeps
// what it accepted.
copy_result copy_with_version(int source, int target, unsigned char version, copy_block& block);

}  // namespace lumvert

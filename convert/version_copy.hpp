#pragma once

namespace lumvert {

// The byte at offset 4 is the low byte of the map header's little-endian version.
constexpr unsigned char version_q3a = 46;
constexpr unsigned char version_rtcw = 47;

enum copy_outcome {
    copy_completed,
    copy_version_write_failed,
    copy_write_failed,
    copy_read_failed,
};

// Copies the file open as `source` into the file open as `target` (descriptors, both at their
// starts) unchanged except for the byte at offset 4, which becomes `version`. A source shorter
// than five bytes is copied unchanged. Both stay open; on a failure the target keeps what it
// accepted.
copy_outcome copy_with_version(int source, int target, unsigned char version);

}  // namespace lumvert

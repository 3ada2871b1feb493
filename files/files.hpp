#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace lumvert {

// A file name as the system hands it to the program, untouched: bytes on POSIX systems, UTF-16
// on Windows (wmain), so that no name changes on its way to the file it stands for.
#ifdef _WIN32
using file_name = const wchar_t*;
#else
using file_name = const char*;
#endif

// Everything the programs ask of the system about files: opening and reading a map, opening and
// shortening a target, and whether two names or open files may be one file. One implementation per
// system (files_posix.cpp, files_windows.cpp); the comparison is shared (files.cpp).

enum class file_kind { regular, folder, device, other };

struct file_time {
    std::int64_t seconds;
    std::int64_t nanoseconds;
};

// `known` is false where the system names no file behind an open handle (a Windows pipe or
// console): such a file cannot be told from another of its kind.
struct file_identity {
    file_kind kind;
    bool known;
    std::uint64_t volume;   // device number, or volume serial number
    std::uint64_t id_high;  // file index; POSIX inodes fill the low half only
    std::uint64_t id_low;
    std::uint64_t size;
    file_time modified;
    file_time changed;  // change time on POSIX, creation time on Windows
};

// Before anything is printed or opened: a failed write is reported, not a signal that ends the
// process silently.
void prepare_process();

// Descriptors that no child inherits, that pass bytes untranslated, and that are never standard
// input, output or error. The target is opened for writing, created if missing and never
// truncated on opening.
int open_source(file_name name);
int open_target(file_name name);
// A map that is only read, opened without waiting for a writer: whether it is a regular file is
// asked of what was opened.
int open_map(file_name name);

// Closes its file on every way out of a run.
struct descriptor {
    int number;
    explicit descriptor(int file) : number(file) {}
    descriptor(const descriptor&) = delete;
    descriptor& operator=(const descriptor&) = delete;
    ~descriptor();
    bool close_now();
};

// Reads exactly `count` bytes from `offset` of an open file; false on an error or an early end.
bool read_at(int file, std::uint64_t offset, char* bytes, std::size_t count);

// The name as UTF-8 (on POSIX systems, its bytes as they are), cut to fit `size` with its NUL.
void name_in_utf8(file_name name, char* text, std::size_t size);

// Cuts an open file to `length` bytes; false if the system refuses.
bool shorten_file(int file, std::uint64_t length);

std::optional<file_identity> identity_of(int file);
// The file a name stands for, found without opening it for reading or writing.
std::optional<file_identity> identity_of(file_name name);
// STDIN_FILENO, STDOUT_FILENO or STDERR_FILENO, as the system's own handle sees it.
std::optional<file_identity> standard_identity(int stream);

bool may_be_one_file(const file_identity& a, const file_identity& b);

// Whether a standard stream is `file` under another name: a device such as a terminal is exempt,
// and a standard handle that names no file (a Windows pipe or console) is no file to compare.
bool is_standard_file(int standard, const file_identity& file);
// Whether a standard stream is a file that one of the names stands for, so that any text written
// to it would go into that file.
bool prints_into(int standard, int count, const file_name* names);

}  // namespace lumvert

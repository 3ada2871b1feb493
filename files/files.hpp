#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <type_traits>

namespace lumvert {

// A file name as the system hands it to the program, untouched: bytes on POSIX systems, UTF-16
// on Windows (wmain), so that no name changes on its way to the file it stands for.
#ifdef _WIN32
using file_name = const wchar_t*;
#else
using file_name = const char*;
#endif

// How much of a map's name stands before its .bsp ending, in any case of letters.
template <typename character> std::size_t without_bsp(const character* name, std::size_t length)
{
    const bool bsp = length >= 4 && name[length - 4] == '.' && (name[length - 3] | 0x20) == 'b' &&
                     (name[length - 2] | 0x20) == 's' && (name[length - 1] | 0x20) == 'p';
    return bsp ? length - 4 : length;
}

// Room for a name made from another: a Windows path of up to 32,767 UTF-16 units, and an ending.
using file_char = std::remove_const_t<std::remove_pointer_t<file_name>>;
struct made_name {
    file_char text[32768 + 32];
};
// The name with its .bsp ending (in any case) replaced by `ending`, or with `ending` after it
// where `keep_bsp`; false where the result would not fit.
bool name_ending_in(file_name name, const char* ending, bool keep_bsp, made_name& made);

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
// Back to the start, where a copy begins: read_at moves it on Windows.
bool rewind_file(int file);
// Writes all `count` bytes at `offset`; false on an error.
bool write_at(int file, std::uint64_t offset, const char* bytes, std::size_t count);

// A file made anew for writing and reading back, never one that exists; -1 where one does or it
// cannot be made.
int open_new(file_name name);
// Puts the file `from` in the place of `to`, which may exist, in one step; false if the system
// refuses.
bool replace_file(file_name from, file_name to);
bool remove_file(file_name name);

// Whether a name or argument, bytes or UTF-16, is the ASCII text given.
bool name_is(file_name name, const char* text);

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

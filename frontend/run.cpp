#include "frontend/run.hpp"

#include "convert/version_copy.hpp"
#include "frontend/console_texts.hpp"

#include <csignal>
#include <fcntl.h>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <windows.h>
#endif

namespace lumvert {

namespace {

namespace fs = std::filesystem;

// Exit statuses. Status 4 serves two conditions, as it always has.
enum exit_status {
    status_converted = 0,
    status_usage = 1,
    status_source_failed = 2,
    status_target_failed = 3,
    status_bad_option = 4,
    status_write_failed = 4,
    status_version_write_failed = 5,
};

// Only the first two characters count: -u, -undo and -ux all mean undo.
bool is_undo_option(const fs::path& argument)
{
    const fs::path::string_type& text = argument.native();
    return text.size() >= 2 && text[0] == '-' && text[1] == 'u';
}

// may_be_same_file tells whether two open files may be one: by device and
// inode on POSIX systems; on Windows, whose _fstat gives every inode as 0, by
// the volume serial number and file index of the handles, which a pipe or a
// device lacks and a disk file never shares with one. Files that cannot be
// told apart count as one.
#ifdef _WIN32
// The UTF-16 name as it came, in binary mode: \r\n and 0x1A pass untranslated.
int open_file(const fs::path& name, int flags)
{
    return _wopen(name.c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

bool may_be_same_file(int source, int target)
{
    const auto a = reinterpret_cast<HANDLE>(_get_osfhandle(source));
    const auto b = reinterpret_cast<HANDLE>(_get_osfhandle(target));
    if ((GetFileType(a) == FILE_TYPE_DISK) != (GetFileType(b) == FILE_TYPE_DISK)) return false;
    BY_HANDLE_FILE_INFORMATION x{};
    BY_HANDLE_FILE_INFORMATION y{};
    return !GetFileInformationByHandle(a, &x) || !GetFileInformationByHandle(b, &y) ||
           (x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
            x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow);
}

int empty_file(int file) { return _chsize_s(file, 0); }
#else
int open_file(const fs::path& name, int flags)
{
    return open(name.c_str(), flags | O_CLOEXEC, 0666);
}

bool may_be_same_file(int source, int target)
{
    struct stat a {};
    struct stat b {};
    return fstat(source, &a) != 0 || fstat(target, &b) != 0 ||
           (a.st_dev == b.st_dev && a.st_ino == b.st_ino);
}

int empty_file(int file) { return ftruncate(file, 0); }
#endif

// Only a regular file is emptied: a pipe, a terminal or /dev/null takes the map as it comes.
bool empty_if_regular(int file)
{
    struct stat status {};
    return fstat(file, &status) == 0 && (!S_ISREG(status.st_mode) || empty_file(file) == 0);
}

// A folder opens for reading on Linux and fails only at the first read, after
// the target was emptied: here it counts as a source that does not open.
int open_source(const fs::path& name)
{
    const int file = open_file(name, O_RDONLY);
    struct stat status {};
    if (file >= 0 && (fstat(file, &status) != 0 || S_ISDIR(status.st_mode))) {
        close(file);
        return -1;
    }
    return file;
}

// Empties the open target once it is known to be another file than the source.
bool prepare_target(int source, int target)
{
    if (may_be_same_file(source, target)) {
        std::cout << "Source and target are the same file!";
        return false;
    }
    if (!empty_if_regular(target)) {
        std::cout << "Error writing file!";
        return false;
    }
    return true;
}

int report_copy(copy_outcome outcome)
{
    switch (outcome) {
    case copy_completed:
        print_success_hints();
        std::cout << "\n";
        return status_converted;
    case copy_version_write_failed:
        std::cout << "Error during writing file at sensible part!";
        return status_version_write_failed;
    case copy_read_failed:
        std::cout << "Error reading file!";
        return status_source_failed;
    case copy_write_failed:
        break;
    }
    std::cout << "Error during writing file!";
    return status_write_failed;
}

int copy_into(int source, const fs::path& target_name, unsigned char version)
{
    // Opened without truncating, and compared with the source as an open file:
    // between a check of names and the open, a name can become a link to the source.
    const int target = open_file(target_name, O_WRONLY | O_CREAT);
    if (target < 0) {
        std::cout << "Error writing file!";
        return status_target_failed;
    }
    if (!prepare_target(source, target)) {
        close(target);
        return status_target_failed;
    }
    const copy_outcome outcome = copy_with_version(source, target, version);
    // A network share may report a failed write only when the file closes.
    const bool closed = close(target) == 0;
    return report_copy(outcome == copy_completed && !closed ? copy_write_failed : outcome);
}

int convert_file(const fs::path& source_name, const fs::path& target_name, unsigned char version)
{
    const int source = open_source(source_name);
    if (source < 0) {
        std::cout << "Error opening file!";
        return status_source_failed;
    }
    const int status = copy_into(source, target_name, version);
    close(source);
    return status;
}

}  // namespace

int run_lumvert(const std::vector<fs::path>& arguments)
{
    print_banner();
    if (arguments.size() < 2 || arguments.size() > 3) {
        print_usage();
        return status_usage;
    }
    // Three arguments must begin with the undo option. Anything else there is
    // refused: -U meant as undo must not convert forward, and with "-x" taken
    // as the source the map named next would be truncated as the target.
    const bool undo = arguments.size() == 3;
    if (undo && !is_undo_option(arguments[0])) {
        print_usage();
        return status_bad_option;
    }
#ifdef SIGXFSZ
    // A write past a file size limit then fails as on a full disk, instead of
    // ending the process without a word. Ignoring a valid signal cannot fail.
    static_cast<void>(std::signal(SIGXFSZ, SIG_IGN));
#endif
    const std::size_t first_name = undo ? 1 : 0;
    return convert_file(arguments[first_name], arguments[first_name + 1],
                        undo ? version_q3a : version_rtcw);
}

}  // namespace lumvert

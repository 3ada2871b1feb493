#include "frontend/run.hpp"

#include "convert/version_copy.hpp"
#include "frontend/console_texts.hpp"

#include <csignal>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
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

// Closes its file on every way out of the run.
struct descriptor {
    int number;
    descriptor(const descriptor&) = delete;
    descriptor& operator=(const descriptor&) = delete;
    ~descriptor()
    {
        if (number >= 0) close(number);
    }
};

#ifdef _WIN32
// The UTF-16 name as it came, in binary mode: \r\n and 0x1A pass untranslated.
int open_file(const fs::path& name, int flags)
{
    return _wopen(name.c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

int empty_file(int file) { return _chsize_s(file, 0); }

// _fstat gives every inode as 0: a file is known by its handle's volume serial number and file
// index, which a pipe or a device may lack.
struct file_identity {
    DWORD type;
    bool known;
    BY_HANDLE_FILE_INFORMATION info;
};

std::optional<file_identity> identity_of(HANDLE handle)
{
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    file_identity identity{GetFileType(handle), false, {}};
    identity.known = GetFileInformationByHandle(handle, &identity.info) != 0;
    return identity;
}

std::optional<file_identity> identity_of(int file)
{
    if (file < 0) return std::nullopt;
    return identity_of(reinterpret_cast<HANDLE>(_get_osfhandle(file)));
}

// The handles themselves: the C library's descriptors 0 and 1 need not be open.
std::optional<file_identity> standard_identity(int stream)
{
    const HANDLE handle =
        GetStdHandle(stream == STDIN_FILENO ? STD_INPUT_HANDLE : STD_OUTPUT_HANDLE);
    if (handle == nullptr) return std::nullopt;
    return identity_of(handle);
}

// Asks for no access, so no file is opened for reading or writing to look at it.
std::optional<file_identity> identity_of(const fs::path& name)
{
    const HANDLE handle =
        CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const auto identity = identity_of(handle);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    return identity;
}

bool is_regular(const file_identity& file) { return file.type == FILE_TYPE_DISK; }
bool is_device(const file_identity& file) { return file.type == FILE_TYPE_CHAR; }
bool is_folder(const file_identity& file)
{
    return file.known && (file.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// See the POSIX version below; under Wine a file's volume follows the folder it was opened in.
bool may_be_one_file(const file_identity& a, const file_identity& b)
{
    if (a.type != b.type) return false;
    if (!a.known || !b.known) return true;
    const auto& x = a.info;
    const auto& y = b.info;
    return x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow &&
           (x.dwVolumeSerialNumber == y.dwVolumeSerialNumber ||
            (x.nFileSizeHigh == y.nFileSizeHigh && x.nFileSizeLow == y.nFileSizeLow &&
             CompareFileTime(&x.ftLastWriteTime, &y.ftLastWriteTime) == 0 &&
             CompareFileTime(&x.ftCreationTime, &y.ftCreationTime) == 0));
}
#else
int open_file(const fs::path& name, int flags)
{
    return open(name.c_str(), flags | O_CLOEXEC, 0666);
}

int empty_file(int file) { return ftruncate(file, 0); }

using file_identity = struct stat;

std::optional<file_identity> identity_of(int file)
{
    struct stat status {};
    if (fstat(file, &status) != 0) return std::nullopt;
    return status;
}

std::optional<file_identity> identity_of(const fs::path& name)
{
    struct stat status {};
    if (stat(name.c_str(), &status) != 0) return std::nullopt;
    return status;
}

std::optional<file_identity> standard_identity(int stream) { return identity_of(stream); }

bool is_regular(const file_identity& file) { return S_ISREG(file.st_mode); }
bool is_device(const file_identity& file) { return S_ISCHR(file.st_mode); }
bool is_folder(const file_identity& file) { return S_ISDIR(file.st_mode); }

bool same_time(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Device and inode tell one file. A FUSE view, an overlay's lower layer or a second mount of an
// NFS export shows one file under another device number, with its inode number, size and times:
// two files that agree in all four count as one too. That refuses a file and its own snapshot.
bool may_be_one_file(const file_identity& a, const file_identity& b)
{
    return a.st_ino == b.st_ino &&
           (a.st_dev == b.st_dev || (a.st_size == b.st_size && same_time(a.st_mtim, b.st_mtim) &&
                                     same_time(a.st_ctim, b.st_ctim)));
}
#endif

// Standard input or output may be the target under another name (Wine opens /dev/stdin as a
// character device, whatever file stands behind it); a device such as a terminal is exempt.
bool is_standard_file(int standard, const file_identity& target)
{
    const auto identity = standard_identity(standard);
    return !is_device(target) && identity && may_be_one_file(*identity, target);
}

// A write past a file size limit or into a pipe whose reader has left then fails as on a full
// disk, instead of ending the process without a word. Ignoring a valid signal cannot fail.
void ignore_write_signals()
{
#ifdef SIGXFSZ
    static_cast<void>(std::signal(SIGXFSZ, SIG_IGN));
#endif
#ifdef SIGPIPE
    static_cast<void>(std::signal(SIGPIPE, SIG_IGN));
#endif
}

// The run from the open source to the closed target. Every check of the target comes before it
// is emptied, and the block is had before that, so a failure leaves an existing target whole.
int convert_file(const fs::path& source_name, const fs::path& target_name, unsigned char version)
{
    const descriptor source{open_file(source_name, O_RDONLY)};
    const auto source_identity = identity_of(source.number);
    // A folder opens for reading on Linux and fails only at the first read.
    if (!source_identity || is_folder(*source_identity)) {
        std::cout << "Error opening file!";
        return status_source_failed;
    }
    const std::unique_ptr<copy_block> block(new (std::nothrow) copy_block);
    if (!block) {
        std::cout << "Error writing file!";
        return status_target_failed;
    }
    // Refused before it is opened: a write open of the source waits while a file server breaks
    // its lease, and tells every watcher that the source was written.
    const auto existing = identity_of(target_name);
    if (existing && may_be_one_file(*source_identity, *existing)) {
        std::cout << "Source and target are the same file!";
        return status_target_failed;
    }
    // Opened without truncating, and compared as an open file: the name may have changed.
    descriptor target{open_file(target_name, O_WRONLY | O_CREAT)};
    if (target.number < 0) {
        std::cout << "Error writing file!";
        return status_target_failed;
    }
    const auto target_identity = identity_of(target.number);
    if (!target_identity || may_be_one_file(*source_identity, *target_identity) ||
        (!is_regular(*source_identity) && is_standard_file(STDIN_FILENO, *target_identity))) {
        std::cout << "Source and target are the same file!";
        return status_target_failed;
    }
    // The console texts would go into the map, or the map into the console texts.
    if (is_standard_file(STDOUT_FILENO, *target_identity) ||
        (is_regular(*target_identity) && empty_file(target.number) != 0)) {
        std::cout << "Error writing file!";
        return status_target_failed;
    }
    const copy_outcome outcome = copy_with_version(source.number, target.number, version, *block);
    // A network share may report a failed write only when the file closes.
    const bool closed = close(std::exchange(target.number, -1)) == 0;
    if (outcome == copy_read_failed) {
        std::cout << "Error reading file!";
        return status_source_failed;
    }
    if (outcome == copy_version_write_failed) {
        std::cout << "Error during writing file at sensible part!";
        return status_version_write_failed;
    }
    if (outcome == copy_write_failed || !closed) {
        std::cout << "Error during writing file!";
        return status_write_failed;
    }
    print_success_hints();
    std::cout << "\n";
    return status_converted;
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
    ignore_write_signals();
    const std::size_t first_name = undo ? 1 : 0;
    return convert_file(arguments[first_name], arguments[first_name + 1],
                        undo ? version_q3a : version_rtcw);
}

}  // namespace lumvert

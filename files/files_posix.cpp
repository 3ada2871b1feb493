#include "files/files.hpp"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumvert {

namespace {

file_time time_of(const timespec& time) { return {time.tv_sec, time.tv_nsec}; }

file_kind kind_of(mode_t mode)
{
    if (S_ISREG(mode)) return file_kind::regular;
    if (S_ISDIR(mode)) return file_kind::folder;
    if (S_ISCHR(mode)) return file_kind::device;
    return file_kind::other;
}

file_identity identity_from(const struct stat& status)
{
    return {kind_of(status.st_mode),
            true,
            static_cast<std::uint64_t>(status.st_dev),
            0,
            static_cast<std::uint64_t>(status.st_ino),
            static_cast<std::uint64_t>(status.st_size),
            time_of(status.st_mtim),
            time_of(status.st_ctim)};
}

// A map opened as standard input, output or error would take the console texts or be taken for
// that stream: it moves above them at once, and a closed stream stays closed, so that a name for
// it (/dev/stdin, /dev/fd/1) opens nothing.
int above_standard(int file)
{
    if (file < 0 || file > STDERR_FILENO) return file;
    const int moved = fcntl(file, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    close(file);
    return moved;
}

}  // namespace

// A write past a file size limit or into a pipe whose reader has left then fails as on a full
// disk.
void prepare_process()
{
    static_cast<void>(std::signal(SIGXFSZ, SIG_IGN));
    static_cast<void>(std::signal(SIGPIPE, SIG_IGN));
}

int open_source(file_name name) { return above_standard(open(name, O_RDONLY | O_CLOEXEC)); }

// A name that becomes a FIFO after it was looked at would hold the open until a writer came.
int open_map(file_name name)
{
    return above_standard(open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
}

int open_target(file_name name)
{
    return above_standard(open(name, O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
}

bool read_at(int file, std::uint64_t offset, char* bytes, std::size_t count)
{
    while (count > 0) {
        const ssize_t got = pread(file, bytes, count, static_cast<off_t>(offset));
        if (got <= 0) return false;
        bytes += got;
        count -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

bool rewind_file(int file) { return lseek(file, 0, SEEK_SET) == 0; }

bool write_at(int file, std::uint64_t offset, const char* bytes, std::size_t count)
{
    while (count > 0) {
        const ssize_t put = pwrite(file, bytes, count, static_cast<off_t>(offset));
        if (put <= 0) return false;
        bytes += put;
        count -= static_cast<std::size_t>(put);
        offset += static_cast<std::uint64_t>(put);
    }
    return true;
}

int open_new(file_name name)
{
    return above_standard(open(name, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
}

bool replace_file(file_name from, file_name to) { return rename(from, to) == 0; }

bool remove_file(file_name name) { return unlink(name) == 0; }

void name_in_utf8(file_name name, char* text, std::size_t size)
{
    static_cast<void>(std::snprintf(text, size, "%s", name));
}

bool shorten_file(int file, std::uint64_t length)
{
    return ftruncate(file, static_cast<off_t>(length)) == 0;
}

std::optional<file_identity> identity_of(int file)
{
    struct stat status {};
    if (fstat(file, &status) != 0) return std::nullopt;
    return identity_from(status);
}

std::optional<file_identity> identity_of(file_name name)
{
    struct stat status {};
    if (stat(name, &status) != 0) return std::nullopt;
    return identity_from(status);
}

std::optional<file_identity> standard_identity(int stream) { return identity_of(stream); }

}  // namespace lumvert

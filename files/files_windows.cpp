#include "files/files.hpp"

#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>

namespace lumvert {

namespace {

// FILETIME counts 100-nanosecond steps.
file_time time_of(std::int64_t ticks) { return {ticks / 10'000'000, ticks % 10'000'000 * 100}; }

file_time time_of(const FILETIME& time)
{
    return time_of(static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime));
}

// ReFS gives files 128-bit IDs, of which the older call carries only 64.
bool take_file_id(HANDLE handle, file_identity& identity)
{
    FILE_ID_INFO id{};
    FILE_STANDARD_INFO standard{};
    FILE_BASIC_INFO basic{};
    if (GetFileInformationByHandleEx(handle, FileIdInfo, &id, sizeof id) == 0 ||
        GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard) == 0 ||
        GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) == 0) {
        return false;
    }
    identity.volume = id.VolumeSerialNumber;
    std::memcpy(&identity.id_low, id.FileId.Identifier, sizeof identity.id_low);
    std::memcpy(&identity.id_high, id.FileId.Identifier + sizeof identity.id_low,
                sizeof identity.id_high);
    identity.size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
    identity.modified = time_of(basic.LastWriteTime.QuadPart);
    identity.changed = time_of(basic.CreationTime.QuadPart);
    if (standard.Directory != 0) identity.kind = file_kind::folder;
    return true;
}

bool take_file_index(HANDLE handle, file_identity& identity)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(handle, &info) == 0) return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.id_low = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    identity.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    identity.modified = time_of(info.ftLastWriteTime);
    identity.changed = time_of(info.ftCreationTime);
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) identity.kind = file_kind::folder;
    return true;
}

// _fstat gives every inode as 0: a file is known by its handle's volume serial number and file
// ID, which a pipe or a console lacks.
std::optional<file_identity> identity_of(HANDLE handle)
{
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return std::nullopt;
    file_identity identity{};
    const DWORD type = GetFileType(handle);
    identity.kind = type == FILE_TYPE_DISK   ? file_kind::regular
                    : type == FILE_TYPE_CHAR ? file_kind::device
                                             : file_kind::other;
    identity.known = take_file_id(handle, identity) || take_file_index(handle, identity);
    return identity;
}

}  // namespace

// Writes fail with an error code here, and the C library holds descriptors 0 to 2 as in use
// whether or not a handle stands behind them, so no map can take one.
void prepare_process() {}

// The UTF-16 name as it came, in binary mode: \r\n and 0x1A pass untranslated.
int open_source(file_name name) { return _wopen(name, _O_RDONLY | _O_BINARY | _O_NOINHERIT); }

// Windows has no FIFO that an open waits on.
int open_map(file_name name) { return open_source(name); }

int open_target(file_name name)
{
    return _wopen(name, _O_WRONLY | _O_CREAT | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

bool read_at(int file, std::uint64_t offset, char* bytes, std::size_t count)
{
    if (_lseeki64(file, static_cast<long long>(offset), SEEK_SET) < 0) return false;
    while (count > 0) {
        const int got =
            _read(file, bytes, static_cast<unsigned>(count < (1U << 30) ? count : 1U << 30));
        if (got <= 0) return false;
        bytes += got;
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

bool rewind_file(int file) { return _lseeki64(file, 0, SEEK_SET) == 0; }

bool write_at(int file, std::uint64_t offset, const char* bytes, std::size_t count)
{
    if (_lseeki64(file, static_cast<long long>(offset), SEEK_SET) < 0) return false;
    while (count > 0) {
        const int put =
            _write(file, bytes, static_cast<unsigned>(count < (1U << 30) ? count : 1U << 30));
        if (put <= 0) return false;
        bytes += put;
        count -= static_cast<std::size_t>(put);
    }
    return true;
}

int open_new(file_name name)
{
    return _wopen(name, _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  _S_IREAD | _S_IWRITE);
}

bool replace_file(file_name from, file_name to)
{
    return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool remove_file(file_name name) { return _wunlink(name) == 0; }

// An unpaired surrogate becomes U+FFFD, as in any UTF-8 text Windows makes.
void name_in_utf8(file_name name, char* text, std::size_t size)
{
    if (size == 0) return;
    const int made =
        WideCharToMultiByte(CP_UTF8, 0, name, -1, text, static_cast<int>(size), nullptr, nullptr);
    if (made == 0) text[0] = '\0';
}

bool shorten_file(int file, std::uint64_t length)
{
    return _chsize_s(file, static_cast<long long>(length)) == 0;
}

std::optional<file_identity> identity_of(int file)
{
    if (file < 0) return std::nullopt;
    return identity_of(reinterpret_cast<HANDLE>(_get_osfhandle(file)));
}

// Asks for no access, so no file is opened for reading or writing to look at it.
std::optional<file_identity> identity_of(file_name name)
{
    const HANDLE handle =
        CreateFileW(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const auto identity = identity_of(handle);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    return identity;
}

// The handles themselves: the C library's descriptors 0 and 1 need not be open.
std::optional<file_identity> standard_identity(int stream)
{
    const DWORD handles[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    return identity_of(GetStdHandle(handles[stream]));
}

}  // namespace lumvert

#include "files/files.hpp"

#include <unistd.h>
#include <utility>

namespace lumvert {

namespace {

bool same_time(const file_time& a, const file_time& b)
{
    return a.seconds == b.seconds && a.nanoseconds == b.nanoseconds;
}

}  // namespace

// Volume and file ID tell one file. A FUSE view, an overlay's lower layer, a second mount of an
// NFS export, or under Wine a folder outside its prefix, shows one file on another volume with its
// ID, size and times: two files that agree in all of them count as one too. Times count only where
// they carry a fraction of a second: file systems with whole-second times (sshfs, FAT) number
// their files alike from the start, and two copies of one map made in the same second must stay
// two files. A file and its exact snapshot are still refused.
bool may_be_one_file(const file_identity& a, const file_identity& b)
{
    if (a.kind != b.kind) return false;
    if (!a.known || !b.known) return true;
    if (a.id_high != b.id_high || a.id_low != b.id_low) return false;
    if (a.volume == b.volume) return true;
    return a.size == b.size && same_time(a.modified, b.modified) &&
           same_time(a.changed, b.changed) &&
           (a.modified.nanoseconds != 0 || a.changed.nanoseconds != 0);
}

bool name_is(file_name name, const char* text)
{
    for (; *text != '\0'; ++name, ++text) {
        if (*name != *text) return false;
    }
    return *name == 0;
}

bool name_ending_in(file_name name, const char* ending, bool keep_bsp, made_name& made)
{
    std::size_t length = 0;
    while (name[length] != 0) ++length;
    if (!keep_bsp) length = without_bsp(name, length);
    std::size_t at = 0;
    for (; at < length && at < sizeof made.text / sizeof *made.text; ++at) made.text[at] = name[at];
    for (; *ending != '\0' && at < sizeof made.text / sizeof *made.text; ++at, ++ending) {
        made.text[at] = static_cast<file_char>(*ending);
    }
    if (at == sizeof made.text / sizeof *made.text) return false;
    made.text[at] = 0;
    return true;
}

descriptor::~descriptor()
{
    if (number >= 0) close(number);
}

bool descriptor::close_now() { return close(std::exchange(number, -1)) == 0; }

// Wine opens /dev/stdin as a character device, whatever file stands behind it.
bool is_standard_file(int standard, const file_identity& file)
{
    const auto identity = standard_identity(standard);
    return file.kind != file_kind::device && identity && identity->known &&
           may_be_one_file(*identity, file);
}

bool prints_into(int standard, int count, const file_name* names)
{
    for (int i = 0; i < count; ++i) {
        const auto named = identity_of(names[i]);
        if (named && is_standard_file(standard, *named)) return true;
    }
    return false;
}

}  // namespace lumvert

#include "map/text.hpp"

#include <cstring>

namespace lumvert {

namespace {

void append_escaped(text_builder& text, unsigned char byte)
{
    const char escaped[] = {'\\', 'x', "0123456789abcdef"[byte >> 4], "0123456789abcdef"[byte & 15],
                            '\0'};
    append(text, escaped);
}

void append_kept(text_builder& text, const char* bytes, std::size_t length)
{
    while (length-- > 0 && text.at < text.end) *text.at++ = *bytes++;
    *text.at = '\0';
}

// Writes what `fill` appends, through a piece of fixed room.
template <typename filler> void put_pieces(std::FILE* stream, filler fill)
{
    char piece[256];
    text_builder text = start_text(piece, sizeof piece);
    for (bool more = true; more;) {
        // A quarter of the room, since each byte may take four.
        more = fill(text, sizeof piece / 4);
        put(stream, piece);
        text = start_text(piece, sizeof piece);
    }
}

}  // namespace

text_builder start_text(char* buffer, std::size_t size)
{
    buffer[0] = '\0';
    return {buffer, buffer + size - 1};
}

void append(text_builder& text, const char* piece) { append_kept(text, piece, std::strlen(piece)); }

void append(text_builder& text, std::uint64_t number)
{
    char digits[21];
    char* first = digits + sizeof digits - 1;
    *first = '\0';
    do {
        *--first = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number > 0);
    append(text, first);
}

void append(text_builder& text, std::int64_t number)
{
    if (number < 0) append(text, "-");
    append(text, number < 0 ? 0 - static_cast<std::uint64_t>(number)
                            : static_cast<std::uint64_t>(number));
}

void append(text_builder& text, shown_bytes shown)
{
    for (std::size_t i = 0; i < shown.length; ++i) {
        const auto byte = static_cast<unsigned char>(shown.bytes[i]);
        if (byte < 32 || byte > 126) {
            append_escaped(text, byte);
        }
        else {
            append_kept(text, shown.bytes + i, 1);
        }
    }
}

// Overlong forms, surrogates and code points past U+10FFFF are no UTF-8.
std::size_t utf8_length(const unsigned char* bytes, std::size_t left)
{
    const unsigned char first = bytes[0];
    if (first < 0x80) return 1;
    const std::size_t length = first >= 0xc2 && first <= 0xdf   ? 2
                               : first >= 0xe0 && first <= 0xef ? 3
                               : first >= 0xf0 && first <= 0xf4 ? 4
                                                                : 0;
    if (length == 0 || left < length) return 0;
    const unsigned char low = first == 0xe0 ? 0xa0 : first == 0xf0 ? 0x90 : 0x80;
    const unsigned char high = first == 0xed ? 0x9f : first == 0xf4 ? 0x8f : 0xbf;
    if (bytes[1] < low || bytes[1] > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (bytes[i] < 0x80 || bytes[i] > 0xbf) return 0;
    }
    return length;
}

void put(std::FILE* stream, const char* text) { static_cast<void>(std::fputs(text, stream)); }

void put(std::FILE* stream, std::uint64_t number)
{
    char digits[21];
    text_builder text = start_text(digits, sizeof digits);
    append(text, number);
    put(stream, digits);
}

void put(std::FILE* stream, shown_bytes shown)
{
    put_pieces(stream, [&](text_builder& text, std::size_t most) {
        const std::size_t count = shown.length < most ? shown.length : most;
        append(text, shown_bytes{shown.bytes, count});
        shown.bytes += count;
        shown.length -= count;
        return shown.length > 0;
    });
}

void put_name(std::FILE* stream, const char* name, std::size_t length)
{
    const auto* at = reinterpret_cast<const unsigned char*>(name);
    std::size_t left = length;
    put_pieces(stream, [&](text_builder& text, std::size_t most) {
        for (std::size_t done = 0; left > 0 && done < most;) {
            const std::size_t sequence = utf8_length(at, left);
            // U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F.
            const bool control = sequence == 0 || *at < 32 || *at == 127 ||
                                 (sequence == 2 && *at == 0xc2 && at[1] < 0xa0);
            const std::size_t taken = sequence == 0 ? 1 : sequence;
            for (std::size_t i = 0; i < taken; ++i) {
                if (control) {
                    append_escaped(text, at[i]);
                }
                else {
                    append_kept(text, reinterpret_cast<const char*>(at + i), 1);
                }
            }
            at += taken;
            left -= taken;
            done += taken;
        }
        return left > 0;
    });
}

}  // namespace lumvert

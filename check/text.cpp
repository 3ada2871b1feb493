#include "check/text.hpp"

namespace lumvert {

text_builder start_text(char* buffer, std::size_t size)
{
    buffer[0] = '\0';
    return {buffer, buffer + size - 1};
}

void append(text_builder& text, const char* piece)
{
    while (*piece != '\0' && text.at < text.end) *text.at++ = *piece++;
    *text.at = '\0';
}

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

void append_bytes(text_builder& text, const char* bytes, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 32 || byte == 127) {
            const char escaped[] = {'\\', 'x', "0123456789abcdef"[byte >> 4],
                                    "0123456789abcdef"[byte & 15], '\0'};
            append(text, escaped);
        }
        else {
            const char kept[] = {static_cast<char>(byte), '\0'};
            append(text, kept);
        }
    }
}

void append(text_builder& text, shown_bytes shown)
{
    append_bytes(text, shown.bytes, shown.length);
}

void put(std::FILE* stream, const char* text) { static_cast<void>(std::fputs(text, stream)); }

void put(std::FILE* stream, std::uint64_t number)
{
    char digits[21];
    text_builder text = start_text(digits, sizeof digits);
    append(text, number);
    put(stream, digits);
}

void put(std::FILE* stream, std::int64_t number)
{
    char digits[22];
    text_builder text = start_text(digits, sizeof digits);
    append(text, number);
    put(stream, digits);
}

void put_bytes(std::FILE* stream, const char* bytes, std::size_t length)
{
    char piece[256];
    while (length > 0) {
        // A quarter of the room, since each byte may take four.
        const std::size_t count = length < sizeof piece / 4 ? length : sizeof piece / 4;
        text_builder text = start_text(piece, sizeof piece);
        append_bytes(text, bytes, count);
        put(stream, piece);
        bytes += count;
        length -= count;
    }
}

}  // namespace lumvert

#include "map/json.hpp"

#include <cstring>

namespace lumvert {

namespace {

void put_escape(std::FILE* stream, unsigned char byte, const char* high = "00")
{
    const char* hex = "0123456789abcdef";
    const char coded[] = {'\\', 'u', high[0], high[1], hex[byte >> 4], hex[byte & 15], '\0'};
    put(stream, coded);
}

void put_kept(std::FILE* stream, const char* bytes, std::size_t length)
{
    char piece[2] = {'\0', '\0'};
    for (std::size_t i = 0; i < length; ++i) {
        if (bytes[i] == '"' || bytes[i] == '\\') put(stream, "\\");
        piece[0] = bytes[i];
        put(stream, piece);
    }
}

}  // namespace

// The map's bytes in a JSON string: each byte outside printable ASCII as \u00XX, so that a name
// is the same string in every reader.
void put_json_bytes(std::FILE* stream, shown_bytes shown)
{
    for (std::size_t i = 0; i < shown.length; ++i) {
        const auto byte = static_cast<unsigned char>(shown.bytes[i]);
        if (byte < 32 || byte > 126) {
            put_escape(stream, byte);
        }
        else {
            put_kept(stream, shown.bytes + i, 1);
        }
    }
}

void put_json(std::FILE* stream, shown_bytes shown)
{
    put(stream, "\"");
    put_json_bytes(stream, shown);
    put(stream, "\"");
}

void put_json(std::FILE* stream, const char* text)
{
    put_json(stream, shown_bytes{text, std::strlen(text)});
}

// A file's name: its UTF-8 kept but for controls; each byte that is no UTF-8 as \udcXX, the
// lone surrogate that Python's surrogateescape turns back into that byte.
void put_json_name(std::FILE* stream, const char* name)
{
    put(stream, "\"");
    const auto* at = reinterpret_cast<const unsigned char*>(name);
    for (std::size_t left = std::strlen(name); left > 0;) {
        const std::size_t length = utf8_length(at, left);
        if (length == 0) {
            put_escape(stream, *at, "dc");
        }
        else if (*at < 32 || *at == 127) {
            put_escape(stream, *at);
        }
        else if (length == 2 && *at == 0xc2 && at[1] < 0xa0) {
            put_escape(stream, at[1]);
        }
        else {
            put_kept(stream, reinterpret_cast<const char*>(at), length);
        }
        const std::size_t taken = length == 0 ? 1 : length;
        at += taken;
        left -= taken;
    }
    put(stream, "\"");
}

void print_failure(const char* map, const char* error, bool json)
{
    put_name(stderr, map, std::strlen(map));
    put(stderr, ": ");
    put(stderr, error);
    put(stderr, "\n");
    if (!json) return;
    put(stdout, "{\"map\":");
    put_json_name(stdout, map);
    put(stdout, ",\"error\":");
    put_json(stdout, error);
    put(stdout, "}\n");
}

}  // namespace lumvert

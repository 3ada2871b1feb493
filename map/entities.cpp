#include "map/entities.hpp"

#include <cstring>

namespace lumvert {

namespace {

// The byte `ahead` of the next, or -1 at the end of the lump.
int peek(entity_reader& reader, std::size_t ahead)
{
    char* bytes = reader.block.bytes;
    if (reader.filled - reader.at <= ahead) {
        std::memmove(bytes, bytes + reader.at, reader.filled - reader.at);
        reader.filled -= reader.at;
        reader.at = 0;
        const std::uint64_t room = sizeof reader.block.bytes - reader.filled;
        const auto count = static_cast<std::size_t>(
            reader.end - reader.next < room ? reader.end - reader.next : room);
        if (count > 0 && !read_at(reader.file, reader.next, bytes + reader.filled, count)) {
            reader.failed = true;
            reader.next = reader.end;
        }
        else {
            reader.next += count;
            reader.filled += count;
        }
    }
    return reader.filled - reader.at > ahead ? static_cast<unsigned char>(bytes[reader.at + ahead])
                                             : -1;
}

// A byte as the engines' signed char sees it outside quotes: NUL ends the text.
bool is_space(int c) { return c > 0 && (c <= ' ' || c >= 128); }

void keep(token& taken, int c)
{
    if (taken.length < token_size - 1) taken.text[taken.length++] = static_cast<char>(c);
}

// Skips white space and comments; the first byte of the token, or 0 or -1 at the end.
int skip_to_token(entity_reader& reader)
{
    int c = peek(reader, 0);
    for (;;) {
        while (is_space(c)) {
            ++reader.at;
            c = peek(reader, 0);
        }
        if (c <= 0) return c;
        if (c != '/' || (peek(reader, 1) != '/' && peek(reader, 1) != '*')) return c;
        const bool line = peek(reader, 1) == '/';
        reader.at += 2;
        while ((c = peek(reader, 0)) > 0 &&
               (line ? c != '\n' : c != '*' || peek(reader, 1) != '/')) {
            ++reader.at;
        }
        if (!line && c > 0) {
            reader.at += 2;
            c = peek(reader, 0);
        }
    }
}

// ET's string in a string: from \" to the next \" (or the end), both kept as quotes. Returns the
// byte after it, which goes on as any byte of the quoted token, or 0 or -1 at the end.
int string_in_string(entity_reader& reader, token& taken)
{
    keep(taken, '"');
    reader.at += 2;
    int c = peek(reader, 0);
    for (; c > 0; c = peek(reader, 0)) {
        ++reader.at;
        if (c == '\\' && peek(reader, 0) == '"') {
            keep(taken, '"');
            ++reader.at;
            return peek(reader, 0);
        }
        keep(taken, c);
    }
    return c;
}

}  // namespace

void start_entities(entity_reader& reader, int file, const lump& text, bool string_in_string)
{
    reader.file = file;
    reader.next = reader.lump_start = text.offset;
    reader.end = text.offset + text.length;
    reader.string_in_string = string_in_string;
    reader.at = reader.filled = 0;
    reader.failed = false;
    reader.blocks = reader.block_start = 0;
}

bool next_token(entity_reader& reader, token& taken)
{
    taken.length = 0;
    taken.text[0] = '\0';
    int c = skip_to_token(reader);
    if (c <= 0) return false;
    if (c == '"') {
        ++reader.at;
        for (c = peek(reader, 0); c > 0 && c != '"'; c = peek(reader, 0)) {
            if (reader.string_in_string && c == '\\' && peek(reader, 1) == '"') {
                c = string_in_string(reader, taken);
                if (c <= 0 || c == '"') break;
            }
            keep(taken, c);
            ++reader.at;
        }
        // The closing quote, or the NUL that ends a quoted token early.
        if (c >= 0) ++reader.at;
    }
    else {
        for (; c > ' ' && c < 128; c = peek(reader, 0)) {
            keep(taken, c);
            ++reader.at;
        }
    }
    taken.text[taken.length] = '\0';
    return true;
}

const char* refusal_message(refusal why)
{
    switch (why) {
    case refusal::found_when_expecting:
        return "G_ParseSpawnVars: found ";
    case refusal::eof_without_brace:
        return "G_ParseSpawnVars: EOF without closing brace";
    case refusal::brace_without_data:
        return "G_ParseSpawnVars: closing brace without data";
    case refusal::none:
        break;
    }
    return "";
}

}  // namespace lumvert

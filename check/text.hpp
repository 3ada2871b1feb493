#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace lumvert {

// Text into a fixed buffer, cut where it is full: what a damaged map gets as its reason.
struct text_builder {
    char* at;
    char* end;  // of the buffer, less room for the NUL
};

text_builder start_text(char* buffer, std::size_t size);
void append(text_builder& text, const char* piece);
void append(text_builder& text, std::uint64_t number);
void append(text_builder& text, std::int64_t number);
// A map's bytes, with control characters as \xNN, so that no line of the console moves.
void append_bytes(text_builder& text, const char* bytes, std::size_t length);
struct shown_bytes {
    const char* bytes;
    std::size_t length;
};
void append(text_builder& text, shown_bytes shown);

// Numbers are written digit by digit, since the Windows C library's printf knows no %llu.
// A failed write shows in ferror once the report is written.
void put(std::FILE* stream, const char* text);
void put(std::FILE* stream, std::uint64_t number);
void put(std::FILE* stream, std::int64_t number);
void put_bytes(std::FILE* stream, const char* bytes, std::size_t length);

}  // namespace lumvert

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

// A map's own bytes, as a terminal may show them: every byte outside printable ASCII as \xNN.
struct shown_bytes {
    const char* bytes;
    std::size_t length;
};
void append(text_builder& text, shown_bytes shown);

// How long the valid UTF-8 sequence at `bytes` is, or 0 where none begins there.
std::size_t utf8_length(const unsigned char* bytes, std::size_t left);

// Numbers are written digit by digit, since the Windows C library's printf knows no %llu.
// A failed write shows in ferror once the report is written.
void put(std::FILE* stream, const char* text);
void put(std::FILE* stream, std::uint64_t number);
void put(std::FILE* stream, shown_bytes shown);
// A file's name: valid UTF-8 kept, but controls (C0, DEL, C1) and bytes that are no UTF-8 as
// \xNN, so that no name moves the terminal.
void put_name(std::FILE* stream, const char* name, std::size_t length);

}  // namespace lumvert

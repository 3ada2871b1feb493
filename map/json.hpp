#pragma once

#include "map/text.hpp"

#include <cstdio>

namespace lumvert {

// JSON strings of what a map holds, that every reader takes as the same string: a map's bytes
// with each byte outside printable ASCII as \u00XX, and a file's name in UTF-8 with controls as
// \u00XX and each byte that is no UTF-8 as \udcXX, the lone surrogate that Python's
// surrogateescape turns back into that byte.
void put_json_bytes(std::FILE* stream, shown_bytes shown);  // without the quotes
void put_json(std::FILE* stream, shown_bytes shown);
void put_json(std::FILE* stream, const char* text);
void put_json_name(std::FILE* stream, const char* name);

// The line on standard error for a map that could not be read or written, its name and why,
// and with `json` its object {"map", "error"} on standard output.
void print_failure(const char* map, const char* error, bool json);

}  // namespace lumvert

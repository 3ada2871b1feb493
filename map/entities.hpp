#pragma once

#include "map/bsp.hpp"

#include <cstddef>
#include <cstdint>

namespace lumvert {

// The entity lump as the engines' parser reads it: white space is any byte up to 32 and, since
// every shipped x86 build reads the text through a signed char, any byte from 128 outside
// quotes; // and /* */ comments are skipped; a quoted token runs to the next quote, any other to
// white space; a NUL outside quotes ends the text; a token keeps at most 1023 bytes. ET also reads
// \" inside a quoted token as a quote within it, up to the next \", Q3A and RTCW not.
constexpr std::size_t token_size = 1024;

struct token {
    char text[token_size];
    std::size_t length;
};

// Why the engine refuses the text, in G_ParseSpawnVars' words.
enum class refusal { none, found_when_expecting, eof_without_brace, brace_without_data };

// The reader's room: a block of the lump, and the pair being read. It holds no more for a larger
// map.
struct entity_reader {
    int file;
    std::uint64_t next;  // the file's offset of the next block
    std::uint64_t end;
    std::uint64_t lump_start;
    bool string_in_string;
    std::size_t at;
    std::size_t filled;
    bool failed;
    std::uint64_t blocks;       // read whole
    std::uint64_t block_start;  // the lump's offset of the block being read
    token key;
    token value;
    lump_block block;
};

void start_entities(entity_reader& reader, int file, const lump& text, bool string_in_string);

bool next_token(entity_reader& reader, token& taken);

enum class block_outcome { read, end, refused, failed };

// Reads the next block, { then keys and values in pairs then }, handing `take` each key and
// value in order. `refused` says what the engine stops with, the token it found in `key`.
template <typename taker>
block_outcome read_entity(entity_reader& reader, refusal& refused, taker take)
{
    token& key = reader.key;
    token& value = reader.value;
    const std::uint64_t start = reader.next - (reader.filled - reader.at) - reader.lump_start;
    if (!next_token(reader, key)) return reader.failed ? block_outcome::failed : block_outcome::end;
    reader.block_start = start;
    refused = key.text[0] != '{' ? refusal::found_when_expecting : refusal::eof_without_brace;
    if (refused == refusal::found_when_expecting) return block_outcome::refused;
    while (next_token(reader, key) && key.text[0] != '}') {
        if (!next_token(reader, value)) break;
        if (value.text[0] == '}') {
            refused = refusal::brace_without_data;
            return block_outcome::refused;
        }
        take(key, value);
    }
    if (reader.failed) return block_outcome::failed;
    if (key.text[0] != '}') return block_outcome::refused;
    refused = refusal::none;
    ++reader.blocks;
    return block_outcome::read;
}

// The engine's own message: "G_ParseSpawnVars: ..." without the token `found_when_expecting`
// names, which goes between the two pieces.
const char* refusal_message(refusal why);
inline constexpr const char* found_after = " when expecting {";

}  // namespace lumvert

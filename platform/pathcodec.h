// A Linux name is bytes; the program works on UTF-16 text. This is the one conversion between
// the two, used for every path in both directions (the program and the tag library alike).
//
// Valid UTF-8 decodes as usual. Each byte that is not part of a valid UTF-8 sequence (a stray
// Latin-1 byte, an overlong form, an encoded surrogate, a cut-off sequence) becomes the lone
// surrogate U+DC80 + (byte - 0x80), and turns back into that byte when encoded. So every name
// read from disk goes back as exactly the same bytes, and two different names never decode to
// the same text (valid UTF-8 never yields a lone surrogate).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

std::u16string decodePathBytes(std::string_view bytes);
// The same written to `out`, which has room for bytes.size() units (no name decodes to more
// units than it has bytes); returns the units written.
std::size_t decodePathBytesInto(std::string_view bytes, char16_t* out);

// The inverse of decodePathBytes. Text that no name decodes to (a lone surrogate outside
// U+DC80..U+DCFF) is written as its generalised three-byte form, which is still one fixed byte
// string per text.
std::string encodePathText(std::u16string_view text);

}  // namespace platform

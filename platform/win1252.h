// The Windows-1252 ("ANSI") code page: the program decodes bytes from media files and tags with
// it, and a character's "ANSI code" is its code here. Free of Qt for the tag library's sake.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::win1252 {

// Every byte maps to one UTF-16 unit; the five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value, as Windows does.
char16_t decodeByte(unsigned char byte);
std::u16string decode(std::string_view bytes);

// The byte for a character, or nothing when the code page has none.
std::optional<unsigned char> encodeChar(char16_t ch);
// Characters without a byte become `replacement`.
std::string encode(std::u16string_view text, char replacement = '?');

// A character's ANSI code (its byte), or -1 when the code page has none.
int ansiCode(char16_t ch);

}  // namespace platform::win1252

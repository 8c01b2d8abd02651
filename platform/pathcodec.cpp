#include "platform/pathcodec.h"

#include <cstdint>
#include <cstring>

namespace platform {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;  // + byte (0x80..0xFF) = U+DC80..U+DCFF

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at `at`, or 0 when the byte there starts none; the
// decoded code point goes to `point`. Strict: no overlong forms, no surrogates, nothing past
// U+10FFFF.
size_t validSequence(std::string_view bytes, size_t at, char32_t& point) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        point = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        point = lead & 0x1F;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        point = lead & 0x0F;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        point = lead & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        if (!isContinuation(byte(i))) {
            return 0;
        }
        point = (point << 6) | (byte(i) & 0x3F);
    }
    if (point < min || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
        return 0;
    }
    return length;
}

// Eight bytes or four UTF-16 units at a time: a run of ASCII, nearly every name, is copied
// without looking at each character.
constexpr std::uint64_t kHighBytes = 0x8080808080808080u;
constexpr std::uint64_t kHighUnits = 0xFF80FF80FF80FF80u;

}  // namespace

std::size_t decodePathBytesInto(std::string_view bytes, char16_t* out) {
    const std::size_t size = bytes.size();
    std::size_t at = 0;
    std::size_t written = 0;
    while (at < size) {
        if (at + 8 <= size) {
            std::uint64_t word = 0;
            std::memcpy(&word, bytes.data() + at, sizeof word);
            if ((word & kHighBytes) == 0) {
                for (std::size_t i = 0; i < 8; ++i) {
                    out[written + i] = static_cast<unsigned char>(bytes[at + i]);
                }
                at += 8;
                written += 8;
                continue;
            }
        }
        const auto lead = static_cast<unsigned char>(bytes[at]);
        if (lead < 0x80) {
            out[written++] = lead;
            ++at;
            continue;
        }
        char32_t point = 0;
        const std::size_t length = validSequence(bytes, at, point);
        if (length == 0) {
            out[written++] = static_cast<char16_t>(kEscapeBase + lead);
            ++at;
        } else if (point < 0x10000) {
            out[written++] = static_cast<char16_t>(point);
            at += length;
        } else {
            point -= 0x10000;
            out[written++] = static_cast<char16_t>(0xD800 + (point >> 10));
            out[written++] = static_cast<char16_t>(0xDC00 + (point & 0x3FF));
            at += length;
        }
    }
    return written;
}

std::u16string decodePathBytes(std::string_view bytes) {
    std::u16string out(bytes.size(), u'\0');
    out.resize(decodePathBytesInto(bytes, out.data()));
    return out;
}

std::string encodePathText(std::u16string_view text) {
    const std::size_t size = text.size();
    // The ASCII beginning goes straight in; from the first other unit on, room for the longest
    // form of every unit left (three bytes: a pair of two units takes four).
    std::string out(size, '\0');
    std::size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + i, sizeof word);
        if ((word & kHighUnits) != 0) {
            break;
        }
        for (std::size_t k = 0; k < 4; ++k) {
            out[i + k] = static_cast<char>(text[i + k]);
        }
    }
    while (i < size && text[i] < 0x80) {
        out[i] = static_cast<char>(text[i]);
        ++i;
    }
    if (i == size) {
        return out;
    }
    out.resize(i + (size - i) * 3);
    char* put = out.data() + i;
    const auto putUtf8 = [&put](char32_t point) {
        if (point < 0x80) {
            *put++ = static_cast<char>(point);
        } else if (point < 0x800) {
            *put++ = static_cast<char>(0xC0 | (point >> 6));
            *put++ = static_cast<char>(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            *put++ = static_cast<char>(0xE0 | (point >> 12));
            *put++ = static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            *put++ = static_cast<char>(0x80 | (point & 0x3F));
        } else {
            *put++ = static_cast<char>(0xF0 | (point >> 18));
            *put++ = static_cast<char>(0x80 | ((point >> 12) & 0x3F));
            *put++ = static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            *put++ = static_cast<char>(0x80 | (point & 0x3F));
        }
    };
    for (; i < size; ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < size && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            putUtf8(0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                    (static_cast<char32_t>(text[i + 1]) - 0xDC00));
            ++i;
        } else if (unit >= 0xDC80 && unit <= 0xDCFF) {
            *put++ = static_cast<char>(unit - kEscapeBase);
        } else {
            putUtf8(unit);
        }
    }
    out.resize(static_cast<std::size_t>(put - out.data()));
    return out;
}

}  // namespace platform

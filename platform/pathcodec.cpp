#include "platform/pathcodec.h"

namespace platform {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;  // + byte (0x80..0xFF) = U+DC80..U+DCFF

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

void appendCodePoint(std::u16string& out, char32_t point) {
    if (point < 0x10000) {
        out.push_back(static_cast<char16_t>(point));
    } else {
        point -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (point >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (point & 0x3FF)));
    }
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

}  // namespace

std::u16string decodePathBytes(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    size_t at = 0;
    while (at < bytes.size()) {
        char32_t point = 0;
        const size_t length = validSequence(bytes, at, point);
        if (length == 0) {
            out.push_back(
                static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[at])));
            ++at;
            continue;
        }
        appendCodePoint(out, point);
        at += length;
    }
    return out;
}

std::string encodePathText(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    const auto putUtf8 = [&out](char32_t point) {
        if (point < 0x80) {
            out.push_back(static_cast<char>(point));
        } else if (point < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (point >> 6)));
            out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
        } else if (point < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (point >> 12)));
            out.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (point >> 18)));
            out.push_back(static_cast<char>(0x80 | ((point >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
        }
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            putUtf8(0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                    (static_cast<char32_t>(text[i + 1]) - 0xDC00));
            ++i;
        } else if (unit >= 0xDC80 && unit <= 0xDCFF) {
            out.push_back(static_cast<char>(unit - kEscapeBase));
        } else {
            putUtf8(unit);
        }
    }
    return out;
}

}  // namespace platform

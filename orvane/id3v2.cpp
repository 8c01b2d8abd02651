#include "orvane/id3v2.h"

#include <zlib.h>

#include <utility>

#include "platform/asciicase.h"

namespace orvane {

namespace {

// Lower case of the letters that can occur in a frame ID read through the ANSI code page.
char16_t foldCase(char16_t c) {
    if (c >= u'A' && c <= u'Z') {
        return static_cast<char16_t>(c + 0x20);
    }
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) {
        return static_cast<char16_t>(c + 0x20);
    }
    switch (c) {
        case 0x0152:  // OE ligature
        case 0x0160:  // S caron
        case 0x017D:  // Z caron
            return static_cast<char16_t>(c + 1);
        case 0x0178:  // Y diaeresis
            return 0x00FF;
        default:
            return c;
    }
}

}  // namespace

namespace id3v2 {

bool removeUnsync(ByteView input, Bytes& output) {
    output.clear();
    if (input.empty()) {
        return false;
    }
    output.reserve(input.size());
    output.push_back(input[0]);
    for (std::size_t i = 1; i < input.size(); ++i) {
        // The test looks at the input byte before, so FF 00 00 keeps its second zero.
        if (input[i] == 0x00 && input[i - 1] == 0xFF) {
            continue;
        }
        output.push_back(input[i]);
    }
    return true;
}

bool inflate(ByteView compressed, std::int32_t declaredSize, Bytes& output) {
    if (declaredSize <= 0 || declaredSize > kMaxDecompressedSize) {
        return false;
    }
    Bytes buffer(static_cast<std::size_t>(declaredSize), 0);
    uLongf destLength = static_cast<uLongf>(declaredSize);
    static const Bytef kNothing = 0;
    const Bytef* source = compressed.empty() ? &kNothing : compressed.data();
    // Tags written by other programs were accepted with damaged streams all along: whatever zlib
    // managed to produce stands, padded with zeros to the declared size.
    (void)uncompress(buffer.data(), &destLength, source, static_cast<uLong>(compressed.size()));
    output = std::move(buffer);
    return true;
}

std::u16string decodeAnsiText(ByteView payload) {
    if (payload.size() <= 1) {
        return {};
    }
    return AnsiToText(payload.subspan(1));
}

std::u16string decodeUnicodeText(ByteView payload) {
    std::u16string text;
    if (payload.size() <= 1) {
        return text;
    }
    text.reserve((payload.size() - 1) / 2);
    bool littleEndian = true;
    for (std::size_t i = 1; i + 1 < payload.size(); i += 2) {
        const std::uint8_t first = payload[i];
        const std::uint8_t second = payload[i + 1];
        if (first == 0xFF && second == 0xFE) {
            littleEndian = true;
            continue;
        }
        if (first == 0xFE && second == 0xFF) {
            littleEndian = false;
            continue;
        }
        text.push_back(littleEndian ? static_cast<char16_t>(first | (second << 8))
                                    : static_cast<char16_t>((first << 8) | second));
    }
    return text;
}

std::u16string decodeTextFrame(std::u16string_view id, ByteView payload) {
    if (id.empty() || id.front() != u'T' || payload.empty()) {
        return {};
    }
    switch (payload[0]) {
        case 0:
            return decodeAnsiText(payload);
        case 1:
            return decodeUnicodeText(payload);
        default:
            return {};
    }
}

bool frameIdEquals(std::u16string_view a, std::u16string_view b) {
    return platform::equalFolded(a, b, foldCase);
}

}  // namespace id3v2

}  // namespace orvane

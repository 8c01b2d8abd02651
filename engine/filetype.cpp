#include "engine/filetype.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/namescope.h"
#include "orvane/com/interfaces.h"
#include "platform/asciicase.h"
#include "platform/com/automation.h"
#include "platform/com/com.h"
#include "platform/filesystem.h"
#include "platform/programfolder.h"

namespace engine {

namespace {

namespace fs = platform::fs;

// The text look never reads further than this into a file.
constexpr std::size_t kSampleSize = 64;

// The signature bytes of a table entry: one character per byte. A character beyond one byte
// could never equal a byte of the file, so such an entry is left out rather than mangled into a
// "?" that would match real question marks.
std::optional<std::string> signatureBytes(const QString& search) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(search.size()));
    for (const QChar c : search) {
        if (c.unicode() > 0xFF) {
            return std::nullopt;
        }
        bytes += static_cast<char>(c.unicode());
    }
    return bytes;
}

bool matches(const fs::ReadFile& file, const FileSignature& signature) {
    if (signature.offset == 0 || signature.search.isEmpty()) {
        return false;
    }
    const std::optional<std::string> wanted = signatureBytes(signature.search);
    if (!wanted) {
        return false;
    }
    // 1-based from the start, or counted back from the end so that -k is the first of the last
    // k bytes; either way the bytes must lie wholly inside the file.
    const auto length = static_cast<std::int64_t>(file.size());
    const std::int64_t position =
        signature.offset > 0 ? signature.offset : length + signature.offset + 1;
    const auto count = static_cast<std::int64_t>(wanted->size());
    if (position < 1 || position - 1 + count > length) {
        return false;
    }
    std::string found(wanted->size(), '\0');
    const auto read =
        file.readAt(static_cast<std::uint64_t>(position - 1), found.data(), found.size());
    return read && *read == found.size() && found == *wanted;
}

bool hasMpegAudio(const QString& path, orvane::_cMP3File* mp3) {
    if (com::failed(mp3->Reset())) {
        return false;
    }
    // The program's path texts are already in the form the tag library decodes, so they go
    // over as they are, not through a conversion of their own.
    const com::Bstr name(
        std::u16string_view(reinterpret_cast<const char16_t*>(path.utf16()), path.size()));
    com::BSTR argument = name.get();
    com::VARIANT_BOOL read = com::VARIANT_FALSE;
    if (com::failed(mp3->ReadFile(&argument, &read)) || read != com::VARIANT_TRUE) {
        return false;
    }
    com::VARIANT_BOOL hasMpeg = com::VARIANT_FALSE;
    return com::succeeded(mp3->get_HasMPEG(&hasMpeg)) && hasMpeg == com::VARIANT_TRUE;
}

bool isHtmlStart(std::string_view sample) {
    constexpr std::string_view tag = "<html";
    for (std::size_t at = 0; at + tag.size() <= sample.size(); ++at) {
        if (platform::equalIgnoringAsciiCase(sample.substr(at, tag.size()), tag)) {
            return true;
        }
    }
    return false;
}

bool isPlainText(std::string_view sample) {
    for (const char c : sample) {
        const auto byte = static_cast<unsigned char>(c);
        const bool control = byte < 32 && byte != 9 && byte != 10 && byte != 13;
        if (control || (byte >= 127 && byte <= 159) || byte == 255) {
            return false;
        }
    }
    return true;
}

}  // namespace

QString detectFileType(const QString& folder, const QString& name, const DetectOptions& options,
                       orvane::_cMP3File* mp3) {
    const QString path = folder + name;
    QString answer;
    std::optional<std::string> sample;
    {
        // Opening refuses anything but a regular file before it could block on it.
        auto file = fs::ReadFile::open(platform::nativePath(path));
        if (!file || file->size() == 0) {
            return {};
        }
        for (const FileSignature& signature : options.signatures) {
            if (matches(*file, signature)) {
                answer = signature.extension;
                break;
            }
        }
        if (!answer.isEmpty() && answer != QLatin1String("wav")) {
            return answer;
        }
        if (options.tryText) {
            std::string bytes(kSampleSize, '\0');
            const auto read = file->readAt(0, bytes.data(), bytes.size());
            // A sample that could not be read (or a file emptied meanwhile) holds no bytes to
            // judge; taken as it is it would pass for plain text.
            if (read && *read > 0) {
                bytes.resize(*read);
                sample = std::move(bytes);
            }
        }
    }

    // The tag library opens the file itself, so ours is closed by now.
    if (options.tryMp3 && mp3 != nullptr && hasMpegAudio(path, mp3)) {
        return QStringLiteral("mp3");
    }
    if (sample) {
        if (isHtmlStart(*sample)) {
            return QStringLiteral("html");
        }
        if (isPlainText(*sample)) {
            return QStringLiteral("txt");
        }
    }
    return answer;
}

QString detectedName(const QString& folder, const QString& name, const DetectOptions& options,
                     orvane::_cMP3File* mp3) {
    if (name.endsWith(QLatin1String("dll"), Qt::CaseSensitive)) {
        return {};
    }
    const QString ext = detectFileType(folder, name, options, mp3);
    if (ext.isEmpty()) {
        return {};
    }
    if (options.keepExtension) {
        if (name.endsWith(ext, Qt::CaseSensitive)) {
            return {};
        }
        return name + QLatin1Char('.') + ext;
    }
    return splitExtension(name).name + QLatin1Char('.') + ext;
}

}  // namespace engine

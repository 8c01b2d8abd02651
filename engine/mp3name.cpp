#include "engine/mp3name.h"

#include <array>
#include <optional>

#include "engine/log.h"
#include "engine/namescope.h"
#include "engine/numbers.h"
#include "engine/tokens.h"
#include "media/mpegaudio.h"
#include "orvane/com/interfaces.h"
#include "platform/filesystem.h"
#include "platform/localetext.h"
#include "platform/programfolder.h"

namespace engine {

namespace {

using orvane::_cID3Tags;
using orvane::_cID3V1Tag;
using orvane::_cID3V2Tag;
using orvane::_cMP3File;
using orvane::_cMPEGHeader;

// A failed call into the library ends the name, and the run or pass with it: it says the
// object is broken (memory ran out, a call was malformed), not that this file lacks a tag.
void check(com::HRESULT result) {
    if (com::succeeded(result)) {
        return;
    }
    if (result == com::E_OUTOFMEMORY) {
        throw TransformFailure(kOutOfMemory);
    }
    throw TransformFailure({static_cast<int>(result), QStringLiteral("Automation error")});
}

// A tag text up to its first NUL: text frames often end in one, and a name on disk would be
// cut there.
QString textOf(const com::Bstr& value) {
    std::u16string_view text = value.view();
    if (const auto nul = text.find(u'\0'); nul != std::u16string_view::npos) {
        text = text.substr(0, nul);
    }
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

template <class Interface>
QString text(Interface* object, com::HRESULT (Interface::*getter)(com::BSTR*)) {
    com::Bstr value;
    check((object->*getter)(value.put()));
    return textOf(value);
}

template <class Interface>
com::LONG number(Interface* object, com::HRESULT (Interface::*getter)(com::LONG*)) {
    com::LONG value = 0;
    check((object->*getter)(&value));
    return value;
}

template <class Interface>
bool flag(Interface* object, com::HRESULT (Interface::*getter)(com::VARIANT_BOOL*)) {
    com::VARIANT_BOOL value = com::VARIANT_FALSE;
    check((object->*getter)(&value));
    return value != com::VARIANT_FALSE;
}

template <class Interface, class Child>
com::ComPtr<Child> child(Interface* object, com::HRESULT (Interface::*getter)(Child**)) {
    com::ComPtr<Child> value;
    check((object->*getter)(reinterpret_cast<Child**>(value.put())));
    return value;
}

com::Bstr bstrOf(const QString& text) {
    return com::Bstr(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), text.size()));
}

// ASCII letters only: a locale's own case rules must not turn other text into a token.
bool startsWithToken(QStringView text, const char* token) {
    qsizetype i = 0;
    for (; token[i] != '\0'; ++i) {
        if (i >= text.size()) {
            return false;
        }
        char16_t c = text[i].unicode();
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        }
        if (c != static_cast<char16_t>(token[i])) {
            return false;
        }
    }
    return true;
}

// The ID3v2 frames of the five frame tokens: four-letter IDs for versions 3 and 4, and the
// three-letter IDs of the same frames for version 2.
struct FrameIds {
    const char* v34;
    const char* v2;
};
constexpr FrameIds kComposerFrames{"TCOM", "TCM"};
constexpr FrameIds kOrigArtistFrames{"TOPE", "TOA"};
constexpr FrameIds kCopyrightFrames{"TCOP", "TCR"};
constexpr FrameIds kEncodedByFrames{"TENC", "TEN"};
constexpr FrameIds kBpmFrames{"TBPM", "TBP"};

// Whether the frame list "ID;ID;..." names the frame, as a whole entry.
bool listsFrame(const QString& frameList, const QString& id) {
    return (QLatin1Char(';') + frameList).contains(QLatin1Char(';') + id + QLatin1Char(';'));
}

template <class VersionTag>
QString frameText(VersionTag* tag, const QString& id) {
    if (!tag || !listsFrame(text(tag, &VersionTag::get_FrameList), id)) {
        return {};
    }
    com::Bstr argument = bstrOf(id);
    com::BSTR frameId = argument.get();
    com::Bstr value;
    check(tag->GetText(&frameId, value.put()));
    return textOf(value);
}

}  // namespace

// What one file gives the tokens. Each object is fetched from the library on the first token
// that needs it.
class Mp3Values {
public:
    Mp3Values(_cMP3File* mp3, const QString& fileName, qint64 fileSize, const Mp3Options& options)
        : mp3_(mp3), fileName_(fileName), fileSize_(fileSize), options_(options) {}

    const QString& fileName() const { return fileName_; }
    qint64 fileSize() const { return fileSize_; }

    _cID3Tags* tags() {
        if (!tagsFetched_) {
            tagsFetched_ = true;
            if (flag(mp3_, &_cMP3File::get_HasID3Tag)) {
                tags_ = child(mp3_, &_cMP3File::get_ID3Tags);
            }
        }
        return tags_.get();
    }

    _cID3V1Tag* v1() {
        if (!v1Fetched_) {
            v1Fetched_ = true;
            if (_cID3Tags* all = tags(); all && flag(all, &_cID3Tags::get_HasID3V1)) {
                v1_ = child(all, &_cID3Tags::get_ID3V1Tag);
            }
        }
        return v1_.get();
    }

    // The combined text (ID3v2 first, then ID3v1) or, with ID3v2 not preferred, the ID3v1
    // text alone.
    QString id3Text(com::HRESULT (_cID3Tags::*combined)(com::BSTR*),
                    com::HRESULT (_cID3V1Tag::*own)(com::BSTR*)) {
        _cID3Tags* all = tags();
        if (!all) {
            return {};
        }
        if (options_.useId3v2) {
            return text(all, combined);
        }
        _cID3V1Tag* tag = v1();
        return tag ? text(tag, own) : QString();
    }

    QString genreText() {
        _cID3Tags* all = tags();
        if (!all) {
            return {};
        }
        if (options_.useId3v2) {
            // "(17)Rock" is "Rock"; "(17)" alone is nothing.
            const QString genre = text(all, &_cID3Tags::get_Genre);
            return genre.mid(genre.lastIndexOf(QLatin1Char(')')) + 1);
        }
        _cID3V1Tag* tag = v1();
        if (!tag) {
            return {};
        }
        com::LONG code = number(tag, &_cID3V1Tag::get_Genre);
        com::VARIANT name;
        check(tag->GenreString(&code, &name));
        QString genre;
        if (name.vt == com::VT_BSTR) {
            std::u16string_view view = com::bstrView(name.bstrVal);
            if (const auto nul = view.find(u'\0'); nul != std::u16string_view::npos) {
                view = view.substr(0, nul);
            }
            genre = QString::fromUtf16(view.data(), static_cast<qsizetype>(view.size()));
        }
        com::VariantClear(&name);
        return genre;
    }

    // The track number alone: "05/12" gives "05"; a track of 0 or none gives nothing.
    QString trackText() {
        _cID3Tags* all = tags();
        if (!all) {
            return {};
        }
        if (options_.useId3v2) {
            QString track = text(all, &_cID3Tags::get_Track);
            if (platform::vbVal(track) == 0) {
                return {};
            }
            const qsizetype slash = track.indexOf(QLatin1Char('/'));
            return slash < 0 ? track : track.left(slash);
        }
        _cID3V1Tag* tag = v1();
        if (!tag) {
            return {};
        }
        const com::LONG track = number(tag, &_cID3V1Tag::get_Track);
        return track == 0 ? QString() : QString::number(track);
    }

    QString v2FrameText(const FrameIds& ids) {
        _cID3Tags* all = tags();
        if (!all || !flag(all, &_cID3Tags::get_HasID3V2)) {
            return {};
        }
        const com::ComPtr<_cID3V2Tag> tag = child(all, &_cID3Tags::get_ID3V2Tag);
        if (!tag) {
            return {};
        }
        switch (number(tag.get(), &_cID3V2Tag::get_Version)) {
            case 2:
                return frameText(child(tag.get(), &_cID3V2Tag::get_ID3V22Tag).get(),
                                 QLatin1String(ids.v2));
            case 3:
                return frameText(child(tag.get(), &_cID3V2Tag::get_ID3V23Tag).get(),
                                 QLatin1String(ids.v34));
            case 4:
                return frameText(child(tag.get(), &_cID3V2Tag::get_ID3V24Tag).get(),
                                 QLatin1String(ids.v34));
            default:
                return {};
        }
    }

    _cMPEGHeader* header() {
        if (!headerFetched_) {
            headerFetched_ = true;
            if (flag(mp3_, &_cMP3File::get_HasMPEG)) {
                header_ = child(mp3_, &_cMP3File::get_MPEGHeader);
            }
        }
        return header_.get();
    }

private:
    _cMP3File* mp3_;
    const QString& fileName_;
    qint64 fileSize_;
    const Mp3Options& options_;
    bool tagsFetched_ = false;
    bool v1Fetched_ = false;
    bool headerFetched_ = false;
    com::ComPtr<_cID3Tags> tags_;
    com::ComPtr<_cID3V1Tag> v1_;
    com::ComPtr<_cMPEGHeader> header_;
};

namespace {

using Value = std::optional<QString>;

Value nonEmpty(const QString& text) {
    return text.isEmpty() ? std::nullopt : Value(text);
}

// An ID3 text: the combined one (ID3v2 first, then ID3v1), or the ID3v1 one alone.
template <com::HRESULT (_cID3Tags::*Combined)(com::BSTR*),
          com::HRESULT (_cID3V1Tag::*Own)(com::BSTR*)>
Value tagText(Mp3Values& file) {
    return nonEmpty(file.id3Text(Combined, Own));
}

template <const FrameIds& Ids>
Value frameValue(Mp3Values& file) {
    return nonEmpty(file.v2FrameText(Ids));
}

// A value of the MPEG header: missing when the file has none.
template <Value (*Read)(_cMPEGHeader*)>
Value mpegValue(Mp3Values& file) {
    _cMPEGHeader* mpeg = file.header();
    return mpeg ? Read(mpeg) : std::nullopt;
}

// A VBR file without a frame count has no known length (-1).
template <std::string (*Format)(std::int64_t)>
Value lengthText(_cMPEGHeader* mpeg) {
    const com::LONG seconds = number(mpeg, &_cMPEGHeader::get_Duration);
    return seconds < 0 ? std::nullopt : Value(QString::fromStdString(Format(seconds)));
}

Value bitrateText(_cMPEGHeader* mpeg) {
    const com::LONG bitrate = number(mpeg, &_cMPEGHeader::get_Bitrate);
    return bitrate < 0 ? std::nullopt : Value(QString::number(bitrate));
}

Value versionText(_cMPEGHeader* mpeg) {
    return text(mpeg, &_cMPEGHeader::get_Version)
        .remove(QLatin1String(" version"), Qt::CaseInsensitive);
}

Value layerText(_cMPEGHeader* mpeg) {
    return text(mpeg, &_cMPEGHeader::get_Layer)
        .replace(QLatin1String("III"), QLatin1String("3"))
        .replace(QLatin1String("II"), QLatin1String("2"))
        .replace(QLatin1String("I"), QLatin1String("1"));
}

Value stereoText(_cMPEGHeader* mpeg) {
    return text(mpeg, &_cMPEGHeader::get_Mode) == QLatin1String("Single Channel")
               ? QStringLiteral("Mono")
               : QStringLiteral("Stereo");
}

Value modeText(_cMPEGHeader* mpeg) {
    const QString mode = text(mpeg, &_cMPEGHeader::get_Mode);
    return mode == QLatin1String("Single Channel") ? QStringLiteral("Mono") : mode;
}

template <com::LONG Divisor>
Value frequencyText(_cMPEGHeader* mpeg) {
    return QString::number(number(mpeg, &_cMPEGHeader::get_Frequency) / Divisor);
}

Value genreValue(Mp3Values& file) {
    const QString genre = file.genreText();
    return genre == QLatin1String("Unknown") ? std::nullopt : nonEmpty(genre);
}

Value trackValue(Mp3Values& file) {
    return nonEmpty(file.trackText());
}

Value normalizedTrackValue(Mp3Values& file) {
    const QString track = file.trackText();
    return track.isEmpty() ? std::nullopt : Value(numberNormalize(track, 2));
}

Value fileNameValue(Mp3Values& file) {
    return splitExtension(file.fileName()).name;
}

// An empty extension is a value all the same.
Value fileExtValue(Mp3Values& file) {
    return splitExtension(file.fileName()).extension;
}

Value sizeBytesValue(Mp3Values& file) {
    return QString::number(file.fileSize());
}

Value sizeMegabytesValue(Mp3Values& file) {
    return platform::numberText(
        platform::roundHalfEven(static_cast<double>(file.fileSize()) / 1048576.0, 2));
}

// Each row: the token, the picker's caption, how it expands. The order is the picker's; where
// one token begins another ("<TRACK>", "<TRACKN>"), the closing bracket keeps them apart.
// clang-format off
constexpr Mp3Token kMp3Tokens[] = {
    {"<ARTIST>", "Artist", tagText<&_cID3Tags::get_Artist, &_cID3V1Tag::get_Artist>,
     TokenRole::Value},
    {"<TITLE>", "Title", tagText<&_cID3Tags::get_Title, &_cID3V1Tag::get_Title>,
     TokenRole::Value},
    {"<ALBUM>", "Album", tagText<&_cID3Tags::get_Album, &_cID3V1Tag::get_Album>,
     TokenRole::Value},
    {"<YEAR>", "Year", tagText<&_cID3Tags::get_Year, &_cID3V1Tag::get_Year>, TokenRole::Value},
    {"<COMMENT>", "Comment", tagText<&_cID3Tags::get_Comments, &_cID3V1Tag::get_Comments>,
     TokenRole::Value},
    {"<GENRE>", "Genre", genreValue, TokenRole::Value},
    {"<TRACK>", "Track Number", trackValue, TokenRole::Value},
    {"<TRACKN>", "Track Number (Normalized)", normalizedTrackValue, TokenRole::Value},
    {"<LENGTH>", "Length (Long)", mpegValue<lengthText<media::formatLength>>, TokenRole::Value},
    {"<LENGTHS>", "Length (Short)", mpegValue<lengthText<media::formatLengthShort>>,
     TokenRole::Value},
    {"<BITRATE>", "Bitrate", mpegValue<bitrateText>, TokenRole::Value},
    {"<STEREO>", "Stereo or Mono", mpegValue<stereoText>, TokenRole::Value},
    {"<FREQ>", "Frequency (Hz)", mpegValue<frequencyText<1>>, TokenRole::Value},
    {"<FREQS>", "Frequency (kHz)", mpegValue<frequencyText<1000>>, TokenRole::Value},
    {"<MPEG>", "MPEG Version", mpegValue<versionText>, TokenRole::Value},
    {"<LAYER>", "MPEG Layer", mpegValue<layerText>, TokenRole::Value},
    {"<SMODE>", "MPEG Stereo Mode", mpegValue<modeText>, TokenRole::Value},
    {"<FILENAME>", "Current Filename", fileNameValue, TokenRole::Value},
    {"<FILEEXT>", "Current File Extension", fileExtValue, TokenRole::Value},
    {"<SIZEB>", "File Size (in Bytes)", sizeBytesValue, TokenRole::Value},
    {"<SIZE>", "File Size (in MB)", sizeMegabytesValue, TokenRole::Value},
    {"<COMPOSER>", "Composer (ID3v2)", frameValue<kComposerFrames>, TokenRole::Value},
    {"<ORIGARTIST>", "Original Artist (ID3v2)", frameValue<kOrigArtistFrames>,
     TokenRole::Value},
    {"<COPYRIGHT>", "Copyright (ID3v2)", frameValue<kCopyrightFrames>, TokenRole::Value},
    {"<ENCODEDBY>", "Encoded By (ID3v2)", frameValue<kEncodedByFrames>,
     TokenRole::Value},
    {"<BPM>", "Beats Per Minute (ID3v2)", frameValue<kBpmFrames>,
     TokenRole::Value},
    {"<\\>", "Move To SubDir", nullptr, TokenRole::SubDir},
};
// clang-format on

}  // namespace

QString formatMp3Filename(_cMP3File* mp3, const QString& fileName, qint64 fileSize,
                          const Mp3Options& options) {
    const QString& pattern = options.pattern;
    if (pattern.isEmpty()) {
        return {};
    }
    Mp3Values values(mp3, fileName, fileSize, options);
    QString result;
    bool allFilled = true;
    qsizetype i = 0;
    while (i < pattern.size()) {
        if (pattern[i] != QLatin1Char('<')) {
            result += pattern[i];
            ++i;
            continue;
        }
        const QStringView rest = QStringView(pattern).mid(i);
        const Mp3Token* found = nullptr;
        for (const Mp3Token& token : kMp3Tokens) {
            if (token.expand && startsWithToken(rest, token.token)) {
                found = &token;
                break;
            }
        }
        if (!found) {
            result += QLatin1Char('<');
            ++i;
            continue;
        }
        if (const std::optional<QString> value = found->expand(values)) {
            result += *value;
        } else {
            allFilled = false;
        }
        i += static_cast<qsizetype>(std::char_traits<char>::length(found->token));
    }
    if (!allFilled && options.onlyFilledTags) {
        return {};
    }
    if (options.addExtension && !result.endsWith(QLatin1String(".mp3"), Qt::CaseInsensitive)) {
        result += QLatin1String(".mp3");
    }
    return result;
}

std::span<const Mp3Token> mp3Tokens() {
    return kMp3Tokens;
}

QString mp3NewName(_cMP3File* mp3, const QString& folder, const QString& name,
                   const Mp3Options& options) {
    if (options.onlyMp3Files) {
        // Only the extension counts: a name without a dot ("mp3") has none. A leading only dot
        // separates as in the tab's <EXT> token, so ".mp3" has the extension "mp3".
        const NameParts parts = splitExtension(name);
        if (!parts.hasExtension ||
            parts.extension.compare(QLatin1String("mp3"), Qt::CaseInsensitive) != 0) {
            return {};
        }
    }
    if (!mp3) {
        throw TransformFailure(kObjectNotSet);
    }
    check(mp3->Reset());
    const QString path = folder + name;
    com::Bstr argument = bstrOf(path);
    com::BSTR fileName = argument.get();
    com::VARIANT_BOOL read = com::VARIANT_FALSE;
    check(mp3->ReadFile(&fileName, &read));
    if (read == com::VARIANT_FALSE) {
        return {};
    }
    // The file went away after the library read it: it keeps its name.
    const platform::Result<std::uint64_t> size = platform::fs::fileSize(platform::nativePath(path));
    if (!size.ok()) {
        return {};
    }
    return formatMp3Filename(mp3, name, static_cast<qint64>(*size), options);
}

}  // namespace engine

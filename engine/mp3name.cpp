#include "engine/mp3name.h"

#include <array>
#include <optional>

#include "engine/log.h"
#include "engine/numbers.h"
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

enum class Token {
    Artist,
    Title,
    Album,
    Year,
    Comment,
    Genre,
    Track,
    TrackN,
    Length,
    LengthS,
    Bitrate,
    Mpeg,
    Layer,
    Stereo,
    SMode,
    Freq,
    FreqS,
    SizeB,
    Size,
    FileName,
    FileExt,
    Composer,
    OrigArtist,
    Copyright,
    EncodedBy,
    Bpm,
};

struct TokenName {
    const char* text;
    Token token;
};

// In the order they are tried: where one token begins another ("<TRACK>", "<TRACKN>"), the
// closing bracket keeps them apart.
constexpr std::array<TokenName, 26> kTokens = {{
    {"<ARTIST>", Token::Artist},
    {"<TITLE>", Token::Title},
    {"<ALBUM>", Token::Album},
    {"<YEAR>", Token::Year},
    {"<COMMENT>", Token::Comment},
    {"<GENRE>", Token::Genre},
    {"<TRACK>", Token::Track},
    {"<TRACKN>", Token::TrackN},
    {"<LENGTH>", Token::Length},
    {"<LENGTHS>", Token::LengthS},
    {"<BITRATE>", Token::Bitrate},
    {"<MPEG>", Token::Mpeg},
    {"<LAYER>", Token::Layer},
    {"<STEREO>", Token::Stereo},
    {"<SMODE>", Token::SMode},
    {"<FREQ>", Token::Freq},
    {"<FREQS>", Token::FreqS},
    {"<SIZEB>", Token::SizeB},
    {"<SIZE>", Token::Size},
    {"<FILENAME>", Token::FileName},
    {"<FILEEXT>", Token::FileExt},
    {"<COMPOSER>", Token::Composer},
    {"<ORIGARTIST>", Token::OrigArtist},
    {"<COPYRIGHT>", Token::Copyright},
    {"<ENCODEDBY>", Token::EncodedBy},
    {"<BPM>", Token::Bpm},
}};

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
FrameIds frameIdsOf(Token token) {
    switch (token) {
        case Token::Composer:
            return {"TCOM", "TCM"};
        case Token::OrigArtist:
            return {"TOPE", "TOA"};
        case Token::Copyright:
            return {"TCOP", "TCR"};
        case Token::EncodedBy:
            return {"TENC", "TEN"};
        default:
            return {"TBPM", "TBP"};
    }
}

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

// What one file gives the tokens. Each object is fetched from the library on the first token
// that needs it.
class Mp3Values {
public:
    Mp3Values(_cMP3File* mp3, const QString& fileName, qint64 fileSize, const Mp3Options& options)
        : mp3_(mp3), fileName_(fileName), fileSize_(fileSize), options_(options) {}

    // The token's value, or nothing when it is missing.
    std::optional<QString> value(Token token) {
        switch (token) {
            case Token::Artist:
                return nonEmpty(id3Text(&_cID3Tags::get_Artist, &_cID3V1Tag::get_Artist));
            case Token::Title:
                return nonEmpty(id3Text(&_cID3Tags::get_Title, &_cID3V1Tag::get_Title));
            case Token::Album:
                return nonEmpty(id3Text(&_cID3Tags::get_Album, &_cID3V1Tag::get_Album));
            case Token::Year:
                return nonEmpty(id3Text(&_cID3Tags::get_Year, &_cID3V1Tag::get_Year));
            case Token::Comment:
                return nonEmpty(id3Text(&_cID3Tags::get_Comments, &_cID3V1Tag::get_Comments));
            case Token::Genre: {
                const QString genre = genreText();
                return genre == QLatin1String("Unknown") ? std::nullopt : nonEmpty(genre);
            }
            case Token::Track:
                return nonEmpty(trackText());
            case Token::TrackN: {
                const QString track = trackText();
                return track.isEmpty() ? std::nullopt
                                       : std::optional<QString>(numberNormalize(track, 2));
            }
            case Token::SizeB:
                return QString::number(fileSize_);
            case Token::Size:
                return platform::numberText(
                    platform::roundHalfEven(static_cast<double>(fileSize_) / 1048576.0, 2));
            case Token::FileName: {
                const qsizetype dot = fileName_.lastIndexOf(QLatin1Char('.'));
                return dot < 0 ? fileName_ : fileName_.left(dot);
            }
            case Token::FileExt: {
                const qsizetype dot = fileName_.lastIndexOf(QLatin1Char('.'));
                return dot < 0 ? QString() : fileName_.mid(dot + 1);
            }
            case Token::Composer:
            case Token::OrigArtist:
            case Token::Copyright:
            case Token::EncodedBy:
            case Token::Bpm:
                return nonEmpty(v2FrameText(frameIdsOf(token)));
            default:
                return mpegValue(token);
        }
    }

private:
    static std::optional<QString> nonEmpty(const QString& text) {
        return text.isEmpty() ? std::nullopt : std::optional<QString>(text);
    }

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

    std::optional<QString> mpegValue(Token token) {
        _cMPEGHeader* mpeg = header();
        if (!mpeg) {
            return std::nullopt;
        }
        switch (token) {
            case Token::Length:
            case Token::LengthS: {
                // A VBR file without a frame count has no known length (-1).
                const com::LONG seconds = number(mpeg, &_cMPEGHeader::get_Duration);
                if (seconds < 0) {
                    return std::nullopt;
                }
                return QString::fromStdString(token == Token::Length
                                                  ? media::formatLength(seconds)
                                                  : media::formatLengthShort(seconds));
            }
            case Token::Bitrate: {
                const com::LONG bitrate = number(mpeg, &_cMPEGHeader::get_Bitrate);
                return bitrate < 0 ? std::nullopt
                                   : std::optional<QString>(QString::number(bitrate));
            }
            case Token::Mpeg:
                return text(mpeg, &_cMPEGHeader::get_Version)
                    .remove(QLatin1String(" version"), Qt::CaseInsensitive);
            case Token::Layer:
                return text(mpeg, &_cMPEGHeader::get_Layer)
                    .replace(QLatin1String("III"), QLatin1String("3"))
                    .replace(QLatin1String("II"), QLatin1String("2"))
                    .replace(QLatin1String("I"), QLatin1String("1"));
            case Token::Stereo:
                return text(mpeg, &_cMPEGHeader::get_Mode) == QLatin1String("Single Channel")
                           ? QStringLiteral("Mono")
                           : QStringLiteral("Stereo");
            case Token::SMode: {
                const QString mode = text(mpeg, &_cMPEGHeader::get_Mode);
                return mode == QLatin1String("Single Channel") ? QStringLiteral("Mono") : mode;
            }
            case Token::Freq:
                return QString::number(number(mpeg, &_cMPEGHeader::get_Frequency));
            case Token::FreqS:
                return QString::number(number(mpeg, &_cMPEGHeader::get_Frequency) / 1000);
            default:
                return std::nullopt;
        }
    }

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
        const TokenName* found = nullptr;
        for (const TokenName& token : kTokens) {
            if (startsWithToken(rest, token.text)) {
                found = &token;
                break;
            }
        }
        if (!found) {
            result += QLatin1Char('<');
            ++i;
            continue;
        }
        if (const std::optional<QString> value = values.value(found->token)) {
            result += *value;
        } else {
            allFilled = false;
        }
        i += static_cast<qsizetype>(std::char_traits<char>::length(found->text));
    }
    if (!allFilled && options.onlyFilledTags) {
        return {};
    }
    if (options.addExtension && !result.toLower().endsWith(QLatin1String(".mp3"))) {
        result += QLatin1String(".mp3");
    }
    return result;
}

QString mp3NewName(_cMP3File* mp3, const QString& folder, const QString& name,
                   const Mp3Options& options) {
    if (options.onlyMp3Files) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (name.mid(dot + 1).toLower() != QLatin1String("mp3")) {
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

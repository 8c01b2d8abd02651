#include "engine/pattern.h"

#include <QLocale>
#include <QRandomGenerator>

#include <array>
#include <cmath>
#include <optional>

#include "engine/dirinfo.h"
#include "engine/fileinfo.h"
#include "engine/lists.h"
#include "engine/log.h"
#include "engine/sizetext.h"
#include "media/mpegaudio.h"
#include "platform/localetext.h"
#include "platform/programfolder.h"

namespace engine {

namespace {

enum class Token {
    Name,
    Ext,
    FullName,
    Size,
    SizeB,
    Date,
    Time,
    Parent,
    DirFiles,
    DirDirs,
    DirSizeB,
    DirSize,
    SDirFiles,
    SDirDirs,
    SDirSizeB,
    SDirSize,
    Width,
    Height,
    Depth,
    DepthB,
    Length,
    LengthS,
    Bitrate,
    Fps,
    Codec,
    SMode,
    Freq,
    FreqS,
    Bits,
    SndFormat,
    SndBitrate,
    Sound,
    HtmlTitle,
    Rnd,
    RndDigit,
    FLetter,
    FLetterN1,
    FLetterN2,
    Part,
};

struct TokenDef {
    const char* text;
    Token token;
};

// In the order they are tried; none is the beginning of another, so at most one matches.
// clang-format off
constexpr std::array<TokenDef, 47> kTokens{{
    {"<NAME>", Token::Name}, {"<EXT>", Token::Ext}, {"<FULLNAME>", Token::FullName},
    {"<SIZE>", Token::Size}, {"<SIZEB>", Token::SizeB}, {"<DATE>", Token::Date},
    {"<TIME>", Token::Time}, {"<PARENT>", Token::Parent},
    {"<DIRFILES>", Token::DirFiles}, {"<DIRDIRS>", Token::DirDirs},
    {"<DIRSIZEB>", Token::DirSizeB}, {"<DIRSIZE>", Token::DirSize},
    {"<SDIRFILES>", Token::SDirFiles}, {"<SDIRDIRS>", Token::SDirDirs},
    {"<SDIRSIZEB>", Token::SDirSizeB}, {"<SDIRSIZE>", Token::SDirSize},
    {"<WIDTH>", Token::Width}, {"<HEIGHT>", Token::Height}, {"<DEPTH>", Token::Depth},
    {"<DEPTHB>", Token::DepthB}, {"<LENGTH>", Token::Length}, {"<LENGTHS>", Token::LengthS},
    {"<BITRATE>", Token::Bitrate}, {"<FPS>", Token::Fps}, {"<CODEC>", Token::Codec},
    {"<SMODE>", Token::SMode}, {"<FREQ>", Token::Freq}, {"<FREQS>", Token::FreqS},
    {"<BITS>", Token::Bits}, {"<SNDFORMAT>", Token::SndFormat},
    {"<SNDBITRATE>", Token::SndBitrate}, {"<SOUND>", Token::Sound},
    {"<HTMLTITLE>", Token::HtmlTitle}, {"<RND>", Token::Rnd}, {"<RND#>", Token::RndDigit},
    {"<FLETTER>", Token::FLetter}, {"<FLETTERN1>", Token::FLetterN1},
    {"<FLETTERN2>", Token::FLetterN2},
    {"<%1>", Token::Part}, {"<%2>", Token::Part}, {"<%3>", Token::Part}, {"<%4>", Token::Part},
    {"<%5>", Token::Part}, {"<%6>", Token::Part}, {"<%7>", Token::Part}, {"<%8>", Token::Part},
    {"<%9>", Token::Part},
}};
// clang-format on

// Tokens are ASCII keywords in any letter case. The comparison is ASCII-only on purpose: the
// locale's upper case would turn "<bitrate>" into "<BİTRATE>" in Turkish.
bool matchesAt(const QString& pattern, qsizetype at, const char* token) {
    for (qsizetype k = 0; token[k] != '\0'; ++k) {
        if (at + k >= pattern.size()) {
            return false;
        }
        char16_t ch = pattern.at(at + k).unicode();
        if (ch >= u'a' && ch <= u'z') {
            ch = static_cast<char16_t>(ch - u'a' + u'A');
        }
        if (ch != static_cast<char16_t>(token[k])) {
            return false;
        }
    }
    return true;
}

// A failure that ends the expansion.
struct ExpansionFailure {
    ErrorInfo error;
};

// "32k", "64k", "16M", "16M+" or the colour count.
QString colourCountText(const QString& depth) {
    bool ok = false;
    const double bits = depth.trimmed().toDouble(&ok);
    if (!ok) {
        throw ExpansionFailure{kTypeMismatch};
    }
    const double count = std::pow(2.0, bits);
    if (!std::isfinite(count) || count > 16777216.0) {
        return QStringLiteral("16M+");
    }
    if (count == 32768.0) {
        return QStringLiteral("32k");
    }
    if (count == 65536.0) {
        return QStringLiteral("64k");
    }
    if (count == 16777216.0) {
        return QStringLiteral("16M");
    }
    return platform::numberText(count);
}

// The leading number of a length text ("125", "12.5", "12,5" with the user's separator), 0
// when there is none, rounded to whole seconds with halves to even.
std::int64_t lengthSeconds(const QString& length) {
    const QString separator = QLocale().decimalPoint();
    qsizetype end = 0;
    while (end < length.size() && length.at(end).isDigit()) {
        ++end;
    }
    QString number = length.left(end);
    if (end < length.size() &&
        (length.at(end) == u'.' || QStringView(length).mid(end).startsWith(separator))) {
        const qsizetype fraction = end + (length.at(end) == u'.' ? 1 : separator.size());
        qsizetype stop = fraction;
        while (stop < length.size() && length.at(stop).isDigit()) {
            ++stop;
        }
        number += u'.' + length.mid(fraction, stop - fraction);
    }
    const double seconds = number.isEmpty() ? 0.0 : number.toDouble();
    const double rounded = platform::roundHalfEven(seconds);
    if (!std::isfinite(rounded) || std::fabs(rounded) > 9.0e15) {
        throw ExpansionFailure{kOverflow};
    }
    return static_cast<std::int64_t>(rounded);
}

QString kiloHertzText(const QString& frequency) {
    bool ok = false;
    const double hertz = frequency.trimmed().toDouble(&ok);
    if (!ok) {
        throw ExpansionFailure{kTypeMismatch};
    }
    return platform::numberText(std::floor(hertz / 1000.0));
}

QChar randomCharacter(char16_t first, int count) {
    return QChar(static_cast<char16_t>(first + QRandomGenerator::global()->bounded(count)));
}

// One expansion: its records and the item it is for.
class Expansion {
public:
    Expansion(const QString& itemName, const QString& folder, const FormatContext& context)
        : itemName_(itemName),
          folder_(folder.endsWith(u'/') ? folder : folder + u'/'),
          itemPath_(folder_ + itemName),
          context_(context) {
        fileInputs_.pattern = context.format.pattern;
        fileInputs_.partsPattern = context.format.partsPattern;
        fileInputs_.formatFilenameSelected = context.format.formatFilenameSelected;
        fileInputs_.scope = context.scope;
        fileInputs_.tabCaption = context.format.tabCaption;
    }

    // The token's text; `available` tells whether the availability rule is satisfied.
    QString value(const TokenDef& def, bool& available) {
        available = true;
        const auto checked = [&available](const QString& text) {
            available = !text.isEmpty();
            return text;
        };
        switch (def.token) {
            case Token::Name:
                return checked(file().name);
            case Token::Ext:
                return checked(file().ext);
            case Token::FullName:
                return file().fullName;
            case Token::Size:
                return sizeText(static_cast<std::uint64_t>(std::max<qint64>(file().size, 0)));
            case Token::SizeB:
                return QString::number(file().size);
            case Token::Date:
                return fileRead() ? platform::shortDateText(fileInfo_.date.date()) : QString();
            case Token::Time:
                return fileRead() ? platform::longTimeText(fileInfo_.date.time()) : QString();
            case Token::Parent:
                return checked(file().parent);
            case Token::DirFiles:
            case Token::DirDirs:
            case Token::DirSizeB:
            case Token::DirSize:
            case Token::SDirFiles:
            case Token::SDirDirs:
            case Token::SDirSizeB:
            case Token::SDirSize:
                return directoryValue(def.token, available);
            case Token::Width:
                return checked(mediaText(&media::MediaProperties::width));
            case Token::Height:
                return checked(mediaText(&media::MediaProperties::height));
            case Token::Depth: {
                const QString depth = mediaText(&media::MediaProperties::depth);
                available = !depth.isEmpty();
                return depth.isEmpty() ? QString() : colourCountText(depth);
            }
            case Token::DepthB:
                return checked(mediaText(&media::MediaProperties::depth));
            case Token::Length:
            case Token::LengthS: {
                const QString length = mediaText(&media::MediaProperties::length);
                available = !length.isEmpty();
                if (length.isEmpty()) {
                    return QString();
                }
                const std::int64_t seconds = lengthSeconds(length);
                return QString::fromStdString(def.token == Token::Length
                                                  ? media::formatLength(seconds)
                                                  : media::formatLengthShort(seconds));
            }
            case Token::Bitrate:
                return checked(mediaText(&media::MediaProperties::bitrate));
            case Token::Fps:
                return checked(mediaText(&media::MediaProperties::fps));
            case Token::Codec:
                return checked(mediaText(&media::MediaProperties::codec));
            case Token::SMode:
                return checked(mediaText(&media::MediaProperties::soundMode));
            case Token::Freq:
                return checked(mediaText(&media::MediaProperties::frequency));
            case Token::FreqS: {
                const QString frequency = mediaText(&media::MediaProperties::frequency);
                available = !frequency.isEmpty();
                return frequency.isEmpty() ? QString() : kiloHertzText(frequency);
            }
            case Token::Bits:
                return checked(mediaText(&media::MediaProperties::bits));
            case Token::SndFormat:
                return checked(mediaText(&media::MediaProperties::soundFormat));
            case Token::SndBitrate:
                return checked(mediaText(&media::MediaProperties::soundBitrate));
            case Token::Sound:
                return checked(mediaText(&media::MediaProperties::sound));
            case Token::HtmlTitle:
                return checked(getHtmlTitle(itemPath_, context_.format.htmlTitleReadSize));
            case Token::Rnd:
                return QString(randomCharacter(u'A', 26));
            case Token::RndDigit:
                return QString(randomCharacter(u'0', 10));
            case Token::FLetter:
                return firstLetter(itemName_, 0, context_.media.yield);
            case Token::FLetterN1:
                return firstLetter(itemName_, 1, context_.media.yield);
            case Token::FLetterN2:
                return firstLetter(itemName_, 2, context_.media.yield);
            case Token::Part:
                return checked(file().parts[static_cast<std::size_t>(def.text[2] - '0')]);
        }
        return QString();
    }

private:
    const FileInfo& file() {
        fileFound_ = getFileInfo(itemName_, folder_, fileInfo_, fileInputs_);
        return fileInfo_;
    }
    bool fileRead() {
        file();
        return fileFound_;
    }

    QString directoryValue(Token token, bool& available) {
        available = getDirInfo(itemPath_, dirInfo_, context_.media.yield);
        if (!available) {
            return QString();
        }
        switch (token) {
            case Token::DirFiles:
                return QString::number(dirInfo_.files);
            case Token::DirDirs:
                return QString::number(dirInfo_.dirs);
            case Token::DirSizeB:
                return QString::number(dirInfo_.size);
            case Token::DirSize:
                return sizeText(static_cast<std::uint64_t>(std::max<qint64>(dirInfo_.size, 0)));
            case Token::SDirFiles:
                return QString::number(dirInfo_.subFiles);
            case Token::SDirDirs:
                return QString::number(dirInfo_.subDirs);
            case Token::SDirSizeB:
                return QString::number(dirInfo_.subSize);
            default:
                return sizeText(static_cast<std::uint64_t>(std::max<qint64>(dirInfo_.subSize, 0)));
        }
    }

    QString mediaText(std::string media::MediaProperties::*field) {
        if (!mediaRead_) {
            mediaRead_ = true;
            (void)media::getMediaProperties(platform::nativePath(itemPath_), media_,
                                            context_.media);
        }
        return QString::fromStdString(media_.*field);
    }

    const QString& itemName_;
    const QString folder_;
    const QString itemPath_;
    const FormatContext& context_;
    FileInfoInputs fileInputs_;
    FileInfo fileInfo_;
    bool fileFound_ = false;
    DirInfo dirInfo_;
    media::MediaProperties media_;
    bool mediaRead_ = false;
};

QString formatFailureContext(const QString& itemName, const QString& folder,
                             const FormatContext& context) {
    return QStringLiteral("formatFilename: FILE=") +
           (folder.endsWith(u'/') ? folder : folder + u'/') + itemName +
           QStringLiteral(" FORMAT=") + context.format.pattern + QStringLiteral(" PARTS=") +
           context.format.partsPattern;
}

}  // namespace

QString formatFilename(const QString& itemName, const QString& folder,
                       const FormatContext& context) {
    const QString& pattern = context.format.pattern;
    if (pattern.isEmpty()) {
        return QString();
    }
    Expansion expansion(itemName, folder, context);
    QString result;
    const qsizetype length = pattern.size();
    try {
        for (qsizetype i = 0; i < length; ++i) {
            if (pattern.at(i) != u'<') {
                result += pattern.at(i);
                continue;
            }
            const TokenDef* found = nullptr;
            for (const TokenDef& def : kTokens) {
                if (matchesAt(pattern, i, def.text)) {
                    found = &def;
                    break;
                }
            }
            if (!found) {
                result += u'<';
                continue;
            }
            bool available = true;
            result += expansion.value(*found, available);
            i += static_cast<qsizetype>(std::char_traits<char>::length(found->text)) - 1;
            if (!available && context.format.allMustBeAvailable) {
                return itemName;
            }
        }
    } catch (const ExpansionFailure& failure) {
        logFailure(failure.error, formatFailureContext(itemName, folder, context));
        return itemName;
    } catch (const media::MediaFailure& failure) {
        logFailure(ErrorInfo{failure.number(), QString::fromStdString(failure.what())},
                   formatFailureContext(itemName, folder, context));
        return itemName;
    }
    return result;
}

media::MediaContext mediaContextFor(const QList<CodecEntry>& codecs,
                                    const QList<WaveFormatEntry>& waveFormats,
                                    qint32 mpegBytesToRead) {
    media::MediaContext context;
    context.codecs.reserve(static_cast<std::size_t>(codecs.size()));
    for (const CodecEntry& codec : codecs) {
        context.codecs.push_back({codec.fourcc.toStdString(), codec.name.toStdString()});
    }
    context.waveFormats.reserve(static_cast<std::size_t>(waveFormats.size()));
    for (const WaveFormatEntry& format : waveFormats) {
        context.waveFormats.push_back({format.formatTag, format.name.toStdString()});
    }
    context.mpegBytesToRead = mpegBytesToRead;
    context.decimalSeparator = QLocale().decimalPoint().toStdString();
    return context;
}

}  // namespace engine

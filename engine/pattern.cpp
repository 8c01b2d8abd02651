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
#include "engine/tokens.h"
#include "media/mpegaudio.h"
#include "platform/localetext.h"
#include "platform/programfolder.h"

namespace engine {

namespace {

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

}  // namespace

// One expansion: its records and the item it is for. The token table's rows read through it.
class FormatExpansion {
public:
    FormatExpansion(const QString& itemName, const QString& folder, const FormatContext& context)
        : itemName_(itemName),
          folder_(platform::withTrailingSlash(folder)),
          itemPath_(folder_ + itemName),
          context_(context) {
        fileInputs_.pattern = context.format.pattern;
        fileInputs_.partsPattern = context.format.partsPattern;
        fileInputs_.formatFilenameSelected = context.format.formatFilenameSelected;
        fileInputs_.scope = context.scope;
        fileInputs_.tabCaption = context.format.tabCaption;
    }

    const QString& itemName() const { return itemName_; }
    const QString& itemPath() const { return itemPath_; }
    const FormatContext& context() const { return context_; }

    // The item's file record, read again for each token that asks.
    const FileInfo& file() {
        fileFound_ = getFileInfo(itemName_, folder_, fileInfo_, fileInputs_);
        return fileInfo_;
    }
    bool fileRead() {
        file();
        return fileFound_;
    }
    // The record as the last file() left it.
    const FileInfo& fileRecord() const { return fileInfo_; }

    // The item's directory counts; null when it is no directory or cannot be counted.
    const DirInfo* directory() {
        return getDirInfo(itemPath_, dirInfo_, context_.media.yield) ? &dirInfo_ : nullptr;
    }

    // One media property; the item's headers are read on the first.
    QString mediaText(std::string media::MediaProperties::*field) {
        if (!mediaRead_) {
            mediaRead_ = true;
            (void)media::getMediaProperties(platform::nativePath(itemPath_), media_,
                                            context_.media);
        }
        return QString::fromStdString(media_.*field);
    }

private:
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

namespace {

using Value = std::optional<QString>;

// A text that counts as missing when empty.
Value filled(const QString& text) {
    return text.isEmpty() ? std::nullopt : Value(text);
}

template <QString FileInfo::*Field>
Value fileText(FormatExpansion& item) {
    return filled(item.file().*Field);
}

template <std::size_t Number>
Value part(FormatExpansion& item) {
    return filled(item.file().parts[Number]);
}

Value sizeValue(qint64 size) {
    return sizeText(static_cast<std::uint64_t>(std::max<qint64>(size, 0)));
}

template <qint64 DirInfo::*Field>
Value dirCount(FormatExpansion& item) {
    const DirInfo* dir = item.directory();
    return dir ? Value(QString::number(dir->*Field)) : std::nullopt;
}

template <qint64 DirInfo::*Field>
Value dirSize(FormatExpansion& item) {
    const DirInfo* dir = item.directory();
    return dir ? sizeValue(dir->*Field) : std::nullopt;
}

template <std::string media::MediaProperties::*Field>
Value mediaValue(FormatExpansion& item) {
    return filled(item.mediaText(Field));
}

// A media property given in another form: missing when the property is.
template <std::string media::MediaProperties::*Field, QString (*Convert)(const QString&)>
Value mediaAs(FormatExpansion& item) {
    const QString text = item.mediaText(Field);
    return text.isEmpty() ? std::nullopt : Value(Convert(text));
}

QString lengthLong(const QString& length) {
    return QString::fromStdString(media::formatLength(lengthSeconds(length)));
}

QString lengthShort(const QString& length) {
    return QString::fromStdString(media::formatLengthShort(lengthSeconds(length)));
}

template <int Mode>
Value firstLetterValue(FormatExpansion& item) {
    return firstLetter(item.itemName(), Mode, item.context().media.yield);
}

using media::MediaProperties;

// Each row: the token, the picker's caption, how it expands. The order is the picker's; no
// token is the beginning of another, so at most one matches at a place. One caption ends in
// a blank, so its picker entry shows two before the token, as it always has.
// clang-format off
constexpr FormatToken kFormatTokens[] = {
    {"<NAME>", "Current Filename", fileText<&FileInfo::name>, TokenRole::Value},
    {"<EXT>", "Current Extension", fileText<&FileInfo::ext>, TokenRole::Value},
    {"<FULLNAME>", "Current Full Filename",
     [](FormatExpansion& item) -> Value { return item.file().fullName; }, TokenRole::Value},
    {"<SIZE>", "Size (Auto)",
     [](FormatExpansion& item) { return sizeValue(item.file().size); }, TokenRole::Value},
    {"<SIZEB>", "Size (Bytes)",
     [](FormatExpansion& item) -> Value { return QString::number(item.file().size); },
     TokenRole::Value},
    {"<DATE>", "Date",
     [](FormatExpansion& item) -> Value {
         return item.fileRead() ? platform::shortDateText(item.fileRecord().date.date())
                                : QString();
     }, TokenRole::Value},
    {"<TIME>", "Time",
     [](FormatExpansion& item) -> Value {
         return item.fileRead() ? platform::longTimeText(item.fileRecord().date.time())
                                : QString();
     }, TokenRole::Value},
    {"<PARENT>", "Parent Directory Name", fileText<&FileInfo::parent>, TokenRole::Value},
    {"<DIRFILES>", "Number of Files in Dir.", dirCount<&DirInfo::files>, TokenRole::Value},
    {"<DIRDIRS>", "Number of Dirs. in Dir.", dirCount<&DirInfo::dirs>, TokenRole::Value},
    {"<DIRSIZE>", "Size of Files in Dir. (Auto)", dirSize<&DirInfo::size>, TokenRole::Value},
    {"<DIRSIZEB>", "Size of Files in Dir. (Bytes)", dirCount<&DirInfo::size>, TokenRole::Value},
    {"<SDIRFILES>", "Number of Files in Dir. & SubDirs", dirCount<&DirInfo::subFiles>,
     TokenRole::Value},
    {"<SDIRDIRS>", "Number of Dirs. in Dir. & SubDirs ", dirCount<&DirInfo::subDirs>,
     TokenRole::Value},
    {"<SDIRSIZE>", "Size of Files in Dir. & SubDirs  (Auto)", dirSize<&DirInfo::subSize>,
     TokenRole::Value},
    {"<SDIRSIZEB>", "Size of Files in Dir. & SubDirs  (Bytes)", dirCount<&DirInfo::subSize>,
     TokenRole::Value},
    {"<FLETTER>", "First Letter in Filename", firstLetterValue<0>, TokenRole::Value},
    {"<FLETTERN1>", "First Letter incl. Numbers", firstLetterValue<1>, TokenRole::Value},
    {"<FLETTERN2>", "First Letter incl. Number Subst.", firstLetterValue<2>, TokenRole::Value},
    {"<\\>", "Move To SubDir", nullptr, TokenRole::SubDir},
    {"<RND>", "Random Character (A-Z)",
     [](FormatExpansion&) -> Value { return QString(randomCharacter(u'A', 26)); },
     TokenRole::Value},
    {"<RND#>", "Random Number (0-9)",
     [](FormatExpansion&) -> Value { return QString(randomCharacter(u'0', 10)); },
     TokenRole::Value},
    {"<WIDTH>", "Image/Movie Width", mediaValue<&MediaProperties::width>, TokenRole::Value},
    {"<HEIGHT>", "Image/Movie Height", mediaValue<&MediaProperties::height>, TokenRole::Value},
    {"<DEPTH>", "Image/Movie Color Depth (Cols)",
     mediaAs<&MediaProperties::depth, colourCountText>, TokenRole::Value},
    {"<DEPTHB>", "Image/Movie Color Depth (Bits)", mediaValue<&MediaProperties::depth>,
     TokenRole::Value},
    {"<LENGTH>", "Movie/Wave Length (Long)", mediaAs<&MediaProperties::length, lengthLong>,
     TokenRole::Value},
    {"<LENGTHS>", "Movie/Wave Length (Short)", mediaAs<&MediaProperties::length, lengthShort>,
     TokenRole::Value},
    {"<FPS>", "Movie Framerate", mediaValue<&MediaProperties::fps>, TokenRole::Value},
    {"<BITRATE>", "Movie Bitrate (kBps)", mediaValue<&MediaProperties::bitrate>,
     TokenRole::Value},
    {"<CODEC>", "Movie Compression", mediaValue<&MediaProperties::codec>, TokenRole::Value},
    {"<SOUND>", "Movie Has Sound?", mediaValue<&MediaProperties::sound>, TokenRole::Value},
    {"<SMODE>", "Movie/Wave Audio Stereo Mode", mediaValue<&MediaProperties::soundMode>,
     TokenRole::Value},
    {"<FREQ>", "Movie/Wave Audio Freq. (Hz)", mediaValue<&MediaProperties::frequency>,
     TokenRole::Value},
    {"<FREQS>", "Movie/Wave Audio Freq. (kHz)",
     mediaAs<&MediaProperties::frequency, kiloHertzText>, TokenRole::Value},
    {"<BITS>", "Movie/Wave Audio Bits", mediaValue<&MediaProperties::bits>, TokenRole::Value},
    {"<SNDBITRATE>", "Movie/Wave Audio Bitrate (kBps)",
     mediaValue<&MediaProperties::soundBitrate>, TokenRole::Value},
    {"<SNDFORMAT>", "Movie/Wave Audio Format", mediaValue<&MediaProperties::soundFormat>,
     TokenRole::Value},
    {"<HTMLTITLE>", "Html Title",
     [](FormatExpansion& item) {
         return filled(getHtmlTitle(item.itemPath(), item.context().format.htmlTitleReadSize));
     }, TokenRole::Value},
    {"<%1>", "Part 1", part<1>, TokenRole::Part},
    {"<%2>", "Part 2", part<2>, TokenRole::Part},
    {"<%3>", "Part 3", part<3>, TokenRole::Part},
    {"<%4>", "Part 4", part<4>, TokenRole::Part},
    {"<%5>", "Part 5", part<5>, TokenRole::Part},
    {"<%6>", "Part 6", part<6>, TokenRole::Part},
    {"<%7>", "Part 7", part<7>, TokenRole::Part},
    {"<%8>", "Part 8", part<8>, TokenRole::Part},
    {"<%9>", "Part 9", part<9>, TokenRole::Part},
};
// clang-format on

QString formatFailureContext(const QString& itemName, const QString& folder,
                             const FormatContext& context) {
    return QStringLiteral("formatFilename: FILE=") + platform::withTrailingSlash(folder) +
           itemName + QStringLiteral(" FORMAT=") + context.format.pattern +
           QStringLiteral(" PARTS=") + context.format.partsPattern;
}

}  // namespace

QString formatFilename(const QString& itemName, const QString& folder,
                       const FormatContext& context) {
    const QString& pattern = context.format.pattern;
    if (pattern.isEmpty()) {
        return QString();
    }
    FormatExpansion expansion(itemName, folder, context);
    QString result;
    const qsizetype length = pattern.size();
    try {
        for (qsizetype i = 0; i < length; ++i) {
            if (pattern.at(i) != u'<') {
                result += pattern.at(i);
                continue;
            }
            const FormatToken* found = nullptr;
            for (const FormatToken& token : kFormatTokens) {
                if (token.expand && matchesAt(pattern, i, token.token)) {
                    found = &token;
                    break;
                }
            }
            if (!found) {
                result += u'<';
                continue;
            }
            const std::optional<QString> value = found->expand(expansion);
            if (value) {
                result += *value;
            }
            i += static_cast<qsizetype>(std::char_traits<char>::length(found->token)) - 1;
            if (!value && context.format.allMustBeAvailable) {
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

std::span<const FormatToken> formatTokens() {
    return kFormatTokens;
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

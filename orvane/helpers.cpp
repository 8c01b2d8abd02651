#include "orvane/helpers.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/win1252.h"

namespace orvane {

namespace {

// "*" matches any run of characters, "?" exactly one; nothing else is special, so names with
// "[" or "\" match themselves as a find-first search would match them.
bool matchesPattern(std::string_view pattern, std::string_view name) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starAt = std::string_view::npos;
    std::size_t resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

// Spellings as the library has always answered them (several differ from the usual list).
constexpr std::array<const char16_t*, kGenreCount> kGenres = {
    u"Blues",
    u"Classic Rock",
    u"Country",
    u"Dance",
    u"Disco",
    u"Funk",
    u"Grunge",
    u"Hip-Hop",
    u"Jazz",
    u"Metal",
    u"New Age",
    u"Oldies",
    u"Other",
    u"Pop",
    u"R&B",
    u"Rap",
    u"Reggae",
    u"Rock",
    u"Techno",
    u"Industrial",
    u"Alternative",
    u"Ska",
    u"Death Metal",
    u"Pranks",
    u"Soundtrack",
    u"Euro-Techno",
    u"Ambient",
    u"Trip-Hop",
    u"Vocal",
    u"Jazz+Funk",
    u"Fusion",
    u"Trance",
    u"Classical",
    u"Instrumental",
    u"Acid",
    u"House",
    u"Game",
    u"Sound Clip",
    u"Gospel",
    u"Noise",
    u"Alt. Rock",
    u"Bass",
    u"Soul",
    u"Punk",
    u"Space",
    u"Meditative",
    u"Instrum. Pop",
    u"Instrum. Rock",
    u"Ethnic",
    u"Gothic",
    u"Darkwave",
    u"Techno-Indust.",
    u"Electronic",
    u"Pop-Folk",
    u"Eurodance",
    u"Dream",
    u"Southern Rock",
    u"Comedy",
    u"Cult",
    u"Gangsta",
    u"Top 40",
    u"Christian Rap",
    u"Pop/Funk",
    u"Jungle",
    u"Native American",
    u"Cabaret",
    u"New Wave",
    u"Psychadelic",
    u"Rave",
    u"Showtunes",
    u"Trailer",
    u"Lo-Fi",
    u"Tribal",
    u"Acid Punk",
    u"Acid Jazz",
    u"Polka",
    u"Retro",
    u"Musical",
    u"Rock & Roll",
    u"Hard Rock",
    u"Folk",
    u"Folk/Rock",
    u"National Folk",
    u"Swing",
    u"Fusion",
    u"Bebob",
    u"Latin",
    u"Revival",
    u"Celtic",
    u"Bluegrass",
    u"Avantgarde",
    u"Gothic Rock",
    u"Progress. Rock",
    u"Psychadel. Rock",
    u"Symphonic Rock",
    u"Slow Rock",
    u"Big Band",
    u"Chorus",
    u"Easy Listening",
    u"Acoustic",
    u"Humour",
    u"Speech",
    u"Chanson",
    u"Opera",
    u"Chamber Music",
    u"Sonata",
    u"Symphony",
    u"Booty Bass",
    u"Primus",
    u"Porn Groove",
    u"Satire",
    u"Slow Jam",
    u"Club",
    u"Tango",
    u"Samba",
    u"Folklore",
    u"Ballad",
    u"Power Ballad",
    u"Rhythmic Soul",
    u"Freestyle",
    u"Duet",
    u"Punk Rock",
    u"Drum Solo",
    u"A Capella",
    u"Euro-House",
    u"Dance Hall",
    u"Goa",
    u"Drum & Bass",
    u"Club-House",
    u"Hardcore",
    u"Terror",
    u"Indie",
    u"BritPop",
    u"Afro-Punk",  // the name current taggers give this entry
    u"Polsk Punk",
    u"Beat",
    u"Christian Gangsta Rap",
    u"Heavy Metal",
    u"Black Metal",
    u"Crossover",
    u"Contemporary Christian",
    u"Christian Rock",
    u"Merengue",
    u"Salsa",
    u"Thrash Metal",
    u"Anime",
    u"Jpop",
    u"Synthpop",
};

}  // namespace

bool FileExists(const std::string& native) {
    if (native.empty() || native.find('\0') != std::string::npos) {
        return false;
    }
    if (platform::fs::kindOf(native) != platform::fs::Kind::Missing) {
        return true;
    }
    // Also a dangling symbolic link is an entry of its folder; kindOf follows links.
    const std::size_t slash = native.rfind('/');
    const std::string name = slash == std::string::npos ? native : native.substr(slash + 1);
    const std::string folder = slash == std::string::npos ? std::string(".")
                               : slash == 0               ? std::string(1, '/')
                                                          : native.substr(0, slash);
    if (name.empty() || folder.find_first_of("*?") != std::string::npos) {
        return false;
    }
    const bool isPattern = name.find_first_of("*?") != std::string::npos;
    const auto entries = platform::fs::readFolder(folder);
    if (!entries) {
        return false;
    }
    return std::any_of(entries->begin(), entries->end(), [&](const platform::fs::Entry& e) {
        return isPattern ? matchesPattern(name, e.name) : e.name == name;
    });
}

std::optional<Bytes> ReadBytes(const platform::fs::ReadFile& file, std::int64_t position,
                               std::size_t count) {
    if (position < 1) {
        return std::nullopt;
    }
    const auto offset = static_cast<std::uint64_t>(position - 1);
    // Checked before anything is allocated: sizes read from a damaged file can be huge.
    if (offset > file.size() || count > file.size() - offset) {
        return std::nullopt;
    }
    Bytes out(count);
    const auto got = file.readAt(offset, out.data(), count);
    if (!got || got.value() != count) {
        return std::nullopt;
    }
    return out;
}

std::optional<Bytes> ReadBytesPadded(const platform::fs::ReadFile& file, std::int64_t position,
                                     std::size_t count) {
    if (position < 1) {
        return std::nullopt;
    }
    Bytes out(count, 0);
    const auto got = file.readAt(static_cast<std::uint64_t>(position - 1), out.data(), count);
    if (!got) {
        return std::nullopt;
    }
    return out;
}

std::int32_t BytesToLong(ByteView bytes, std::int32_t start, std::int32_t count) {
    if (start < 0 || count <= 0 ||
        static_cast<std::int64_t>(start) + count > static_cast<std::int64_t>(bytes.size())) {
        return 0;
    }
    std::uint32_t result = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        result = (result << 8) + bytes[static_cast<std::size_t>(start + i)];
    }
    return static_cast<std::int32_t>(result);
}

std::int32_t SyncSafeToLong(ByteView bytes) {
    std::uint32_t result = 0;
    for (const std::uint8_t b : bytes) {
        result = (result << 7) + b;
    }
    return static_cast<std::int32_t>(result);
}

std::u16string BytesToString(ByteView bytes, std::int32_t start, std::int32_t length) {
    if (start < 0 || static_cast<std::size_t>(start) >= bytes.size()) {
        return {};
    }
    const std::size_t first = static_cast<std::size_t>(start);
    std::size_t count = bytes.size() - first;
    if (length > 0) {
        if (static_cast<std::size_t>(length) > count) {
            return {};
        }
        count = static_cast<std::size_t>(length);
    }
    return AnsiToText(bytes.subspan(first, count));
}

std::u16string AnsiToText(ByteView bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (const std::uint8_t b : bytes) {
        out += platform::win1252::decodeByte(b);
    }
    return out;
}

std::u16string TrimNull(std::u16string_view text) {
    return std::u16string(text.substr(0, text.find(u'\0')));
}

std::u16string TrimTrailingBlanks(std::u16string_view text) {
    const std::size_t last = text.find_last_not_of(u' ');
    return last == std::u16string_view::npos ? std::u16string()
                                             : std::u16string(text.substr(0, last + 1));
}

Bytes CopyBytes(ByteView bytes, std::size_t start, std::size_t count) {
    if (start >= bytes.size()) {
        return {};
    }
    const std::size_t n = std::min(count, bytes.size() - start);
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                 bytes.begin() + static_cast<std::ptrdiff_t>(start + n));
}

std::u16string GenreName(std::int32_t code) {
    if (code < 0 || code >= kGenreCount) {
        return u"Unknown";
    }
    return kGenres[static_cast<std::size_t>(code)];
}

}  // namespace orvane

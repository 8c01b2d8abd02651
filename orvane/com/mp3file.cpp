// The facade of the tag library: cMP3File reads one file at a time and keeps what it found,
// cID3Tags combines the ID3v1 and ID3v2 texts of that file.
#include <string>

#include "orvane/com/objects.h"
#include "orvane/helpers.h"
#include "platform/pathcodec.h"

namespace orvane::server {

// cID3Tags -------------------------------------------------------------------------------------

const com::DispatchTable<cID3Tags>& cID3Tags::dispatchTable() {
    using Self = cID3Tags;
    using I = _cID3Tags;
    static const com::DispatchTable<Self> table{
        com::propertyGet<Self, &I::get_HasID3V1>("HasID3V1", 1),
        com::propertyGet<Self, &I::get_HasID3V2>("HasID3V2", 2),
        com::propertyGet<Self, &I::get_ID3V1Tag>("ID3V1Tag", 3),
        com::propertyGet<Self, &I::get_ID3V2Tag>("ID3V2Tag", 4),
        com::propertyGet<Self, &I::get_Title>("Title", 5),
        com::propertyGet<Self, &I::get_Artist>("Artist", 6),
        com::propertyGet<Self, &I::get_Album>("Album", 7),
        com::propertyGet<Self, &I::get_Year>("Year", 8),
        com::propertyGet<Self, &I::get_Comments>("Comments", 9),
        com::propertyGet<Self, &I::get_Track>("Track", 10),
        com::propertyGet<Self, &I::get_Genre>("Genre", 11),
    };
    return table;
}

bool cID3Tags::ReadTags(const platform::fs::ReadFile& file, std::int64_t fileLength, bool readID3V1,
                        bool readID3V2) noexcept {
    try {
        bool found = false;
        // Each reader positions the file itself; a tag is kept only once it was read whole.
        if (readID3V1) {
            auto tag = std::make_shared<orvane::cID3V1Tag>();
            if (tag->ReadTag(file, fileLength)) {
                m_oID3V1 = cID3V1Tag::create(std::move(tag));
                found = found || static_cast<bool>(m_oID3V1);
            }
        }
        if (readID3V2) {
            auto tag = std::make_shared<orvane::cID3V2Tag>();
            if (tag->ReadTag(file, fileLength)) {
                m_oID3V2 = cID3V2Tag::wrap(std::move(tag));
                found = found || static_cast<bool>(m_oID3V2);
            }
        }
        return found;
    } catch (...) {
        return false;
    }
}

std::int64_t cID3Tags::AudioStart() const {
    if (!m_oID3V2) {
        return -1;
    }
    // A tag further in is not in front of the audio: the audio search starts from the first
    // byte then, and only a tag at the very start is skipped.
    const orvane::cID3V2Tag& tag = m_oID3V2->reader();
    return tag.TagPosition() == 1 ? tag.EndPosition() : -1;
}

template <class V2, class V1>
HRESULT cID3Tags::combined(BSTR* result, V2 v2, V1 v1) {
    return putText(result, [&] {
        std::u16string text;
        if (m_oID3V2) {
            text = v2(m_oID3V2->reader());
        }
        if (text.empty() && m_oID3V1) {
            text = v1(m_oID3V1->reader());
        }
        return text;
    });
}

const com::DispatchTable<cMP3File>& cMP3File::dispatchTable() {
    using Self = cMP3File;
    using I = _cMP3File;
    static const com::DispatchTable<Self> table{
        com::propertyGet<Self, &I::get_FileName>("FileName", 1),
        com::propertyGet<Self, &I::get_HasID3Tag>("HasID3Tag", 2),
        com::propertyGet<Self, &I::get_HasMPEG>("HasMPEG", 3),
        com::propertyGet<Self, &I::get_ID3Tags>("ID3Tags", 4),
        com::propertyGet<Self, &I::get_MPEGHeader>("MPEGHeader", 5),
        com::method<Self, &I::Reset>("Reset", 6),
        com::function<Self, &I::ReadFile>("ReadFile", 7),
    };
    return table;
}

HRESULT cID3Tags::get_HasID3V1(VARIANT_BOOL* result) {
    return putBool(result, static_cast<bool>(m_oID3V1));
}
HRESULT cID3Tags::get_HasID3V2(VARIANT_BOOL* result) {
    return putBool(result, static_cast<bool>(m_oID3V2));
}
HRESULT cID3Tags::get_ID3V1Tag(_cID3V1Tag** result) {
    return putObject(result, m_oID3V1);
}
HRESULT cID3Tags::get_ID3V2Tag(_cID3V2Tag** result) {
    return putObject(result, m_oID3V2);
}

HRESULT cID3Tags::get_Title(BSTR* result) {
    return combined(
        result, [](const orvane::cID3V2Tag& v2) { return v2.Title(); },
        [](const orvane::cID3V1Tag& v1) { return v1.Title(); });
}
HRESULT cID3Tags::get_Artist(BSTR* result) {
    return combined(
        result, [](const orvane::cID3V2Tag& v2) { return v2.Artist(); },
        [](const orvane::cID3V1Tag& v1) { return v1.Artist(); });
}
HRESULT cID3Tags::get_Album(BSTR* result) {
    return combined(
        result, [](const orvane::cID3V2Tag& v2) { return v2.Album(); },
        [](const orvane::cID3V1Tag& v1) { return v1.Album(); });
}
// An ID3v2.4 tag has no year, so its files always take the ID3v1 year.
HRESULT cID3Tags::get_Year(BSTR* result) {
    return combined(
        result, [](const orvane::cID3V2Tag& v2) { return v2.Year(); },
        [](const orvane::cID3V1Tag& v1) { return v1.Year(); });
}
// ID3v2 comments are frames with a language and a description, not one text: only ID3v1 counts.
HRESULT cID3Tags::get_Comments(BSTR* result) {
    return combined(
        result, [](const orvane::cID3V2Tag&) { return std::u16string(); },
        [](const orvane::cID3V1Tag& v1) { return v1.Comments(); });
}
// An ID3v1 track of 0 means "none" in ID3v1.1 and is all an ID3v1.0 tag can say; it still
// counts as a track here, so a file with only an ID3v1.0 tag has track "0".
HRESULT cID3Tags::get_Track(BSTR* result) {
    return combined(
        result, [](const orvane::cID3V2Tag& v2) { return v2.Track(); },
        [](const orvane::cID3V1Tag& v1) {
            const std::string digits = std::to_string(v1.Track());
            return std::u16string(digits.begin(), digits.end());
        });
}
// The ID3v2 genre is kept as stored, a reference such as "(13)" included.
HRESULT cID3Tags::get_Genre(BSTR* result) {
    return combined(
        result, [](const orvane::cID3V2Tag& v2) { return v2.Genre(); },
        [](const orvane::cID3V1Tag& v1) { return v1.GenreString(v1.Genre()); });
}

// cMP3File -------------------------------------------------------------------------------------

HRESULT cMP3File::get_FileName(BSTR* result) {
    return putText(result, [&] { return m_sFileName; });
}
HRESULT cMP3File::get_HasID3Tag(VARIANT_BOOL* result) {
    return putBool(result, static_cast<bool>(m_oID3Tags));
}
HRESULT cMP3File::get_HasMPEG(VARIANT_BOOL* result) {
    return putBool(result, static_cast<bool>(m_oMPEGHeader));
}
HRESULT cMP3File::get_ID3Tags(_cID3Tags** result) {
    return putObject(result, m_oID3Tags);
}
HRESULT cMP3File::get_MPEGHeader(_cMPEGHeader** result) {
    return putObject(result, m_oMPEGHeader);
}

// Only our references go: a client that still holds a sub-object keeps it as it was. The
// length of the last file stays, as nothing reads it before the next file is opened.
HRESULT cMP3File::Reset() {
    m_oID3Tags.reset();
    m_oMPEGHeader.reset();
    m_sFileName.clear();
    return com::S_OK;
}

HRESULT cMP3File::ReadFile(BSTR* fileName, VARIANT_BOOL* result) {
    if (!result) {
        return com::E_POINTER;
    }
    *result = com::VARIANT_FALSE;
    if (!fileName) {
        return com::E_POINTER;
    }
    return guarded([&] {
        // Results of an earlier file must never show through for this one.
        if (!m_sFileName.empty()) {
            Reset();
        }
        m_sFileName = std::u16string(com::bstrView(*fileName));
        *result = com::toVariantBool(read(*fileName));
        return com::S_OK;
    });
}

bool cMP3File::read(BSTR fileName) {
    // The program's own path conversion: a name that is not UTF-8 reaches the file system as
    // the bytes it was listed with.
    const std::string path = platform::encodePathText(com::bstrView(fileName));
    if (!FileExists(path)) {
        return false;
    }
    // A folder, a device or a file we may not read all end here.
    auto opened = platform::fs::ReadFile::open(path);
    if (!opened) {
        return false;
    }
    const platform::fs::ReadFile& file = opened.value();
    m_lFileLength = static_cast<std::int64_t>(file.size());

    std::int64_t audioStart = 0;
    if (m_bReadID3V1 || m_bReadID3V2) {
        auto tags = cID3Tags::create();
        if (tags && tags->ReadTags(file, m_lFileLength, m_bReadID3V1, m_bReadID3V2)) {
            m_oID3Tags = std::move(tags);
            audioStart = m_oID3Tags->AudioStart();
        }
    }
    if (m_bReadMPEG) {
        // Bytes inside an ID3v2 tag at the start may look like a frame header; the search starts
        // behind such a tag.
        auto header = std::make_shared<orvane::cMPEGHeader>();
        if (header->ReadHeader(file, m_lFileLength, audioStart < 1 ? 1 : audioStart)) {
            m_oMPEGHeader = cMPEGHeader::create(std::move(header));
        }
    }
    return true;
}

}  // namespace orvane::server

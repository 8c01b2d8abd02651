// The component objects over the readers of the MPEG header, the ID3v1 tag, the ID3v2 tag and
// the three ID3v2 versions with their frames. The dispatch identifiers in the tables are fixed:
// each member's place in its interface, counting from 1.
#include "orvane/com/objects.h"

namespace orvane::server {

HRESULT putLong(LONG* result, std::int32_t value) noexcept {
    if (!result) {
        return com::E_POINTER;
    }
    *result = value;
    return com::S_OK;
}

HRESULT putBool(VARIANT_BOOL* result, bool value) noexcept {
    if (!result) {
        return com::E_POINTER;
    }
    *result = com::toVariantBool(value);
    return com::S_OK;
}

// Version tags ---------------------------------------------------------------------------------

// The members the three version tags share, in slot order; ID3v2.4 has no Year.
template <class Self, class I>
std::vector<com::DispatchMember<Self>> versionTagMembers() {
    std::vector<com::DispatchMember<Self>> members{
        com::propertyGet<Self, &I::get_FrameList>("FrameList", 1),
        com::propertyGet<Self, &I::get_FrameCount>("FrameCount", 2),
        com::function<Self, &I::GetFrameByID>("GetFrameByID", 3),
        com::function<Self, &I::GetFrameByIndex>("GetFrameByIndex", 4),
        com::function<Self, &I::GetText>("GetText", 5),
        com::propertyGet<Self, &I::get_Artist>("Artist", 6),
        com::propertyGet<Self, &I::get_Album>("Album", 7),
        com::propertyGet<Self, &I::get_Title>("Title", 8),
        com::propertyGet<Self, &I::get_Genre>("Genre", 9),
        com::propertyGet<Self, &I::get_Track>("Track", 10),
    };
    if constexpr (requires { &I::get_Year; }) {
        members.push_back(com::propertyGet<Self, &I::get_Year>("Year", 11));
    }
    return members;
}

const com::DispatchTable<cID3V22Tag>& cID3V22Tag::dispatchTable() {
    static const com::DispatchTable<cID3V22Tag> table(versionTagMembers<cID3V22Tag, _cID3V22Tag>());
    return table;
}

HRESULT cID3V22Tag::get_Year(BSTR* result) {
    return putText(result, [&] { return tag().Year(); });
}

const com::DispatchTable<cID3V23Tag>& cID3V23Tag::dispatchTable() {
    static const com::DispatchTable<cID3V23Tag> table(versionTagMembers<cID3V23Tag, _cID3V23Tag>());
    return table;
}

HRESULT cID3V23Tag::get_Year(BSTR* result) {
    return putText(result, [&] { return tag().Year(); });
}

const com::DispatchTable<cID3V24Tag>& cID3V24Tag::dispatchTable() {
    static const com::DispatchTable<cID3V24Tag> table(versionTagMembers<cID3V24Tag, _cID3V24Tag>());
    return table;
}

// ID3v1 ----------------------------------------------------------------------------------------

const com::DispatchTable<cID3V1Tag>& cID3V1Tag::dispatchTable() {
    using Self = cID3V1Tag;
    using I = _cID3V1Tag;
    static const com::DispatchTable<Self> table{
        com::propertyGet<Self, &I::get_Title>("Title", 1),
        com::propertyGet<Self, &I::get_Artist>("Artist", 2),
        com::propertyGet<Self, &I::get_Album>("Album", 3),
        com::propertyGet<Self, &I::get_Year>("Year", 4),
        com::propertyGet<Self, &I::get_Comments>("Comments", 5),
        com::propertyGet<Self, &I::get_Track>("Track", 6),
        com::propertyGet<Self, &I::get_Genre>("Genre", 7),
        com::function<Self, &I::GenreString>("GenreString", 8),
    };
    return table;
}

HRESULT cID3V1Tag::get_Title(BSTR* result) {
    return putText(result, [&] { return tag_->Title(); });
}
HRESULT cID3V1Tag::get_Artist(BSTR* result) {
    return putText(result, [&] { return tag_->Artist(); });
}
HRESULT cID3V1Tag::get_Album(BSTR* result) {
    return putText(result, [&] { return tag_->Album(); });
}
HRESULT cID3V1Tag::get_Year(BSTR* result) {
    return putText(result, [&] { return tag_->Year(); });
}
HRESULT cID3V1Tag::get_Comments(BSTR* result) {
    return putText(result, [&] { return tag_->Comments(); });
}
HRESULT cID3V1Tag::get_Track(LONG* result) {
    return putLong(result, tag_->Track());
}
HRESULT cID3V1Tag::get_Genre(LONG* result) {
    return putLong(result, tag_->Genre());
}

HRESULT cID3V1Tag::GenreString(LONG* genreCode, VARIANT* result) {
    if (!result) {
        return com::E_POINTER;
    }
    // An out parameter: whatever it held before is not ours to free.
    com::VariantInit(result);
    if (!genreCode) {
        return com::E_POINTER;
    }
    return guarded([&] {
        const std::u16string name = tag_->GenreString(*genreCode);
        com::setString(*result, name);
        return result->vt == com::VT_BSTR ? com::S_OK : com::E_OUTOFMEMORY;
    });
}

// ID3v2 ----------------------------------------------------------------------------------------

ComPtr<cID3V2Tag> cID3V2Tag::wrap(std::shared_ptr<const orvane::cID3V2Tag> tag) {
    ComPtr<cID3V2Tag> object = create(tag);
    if (!object) {
        return nullptr;
    }
    // Exactly one of the three is there; a version object that cannot be made fails the whole
    // tag rather than leave a tag whose version has no object.
    bool made = true;
    if (auto v22 = tag->ID3V22Tag()) {
        object->v22_ = cID3V22Tag::create(std::move(v22));
        made = static_cast<bool>(object->v22_);
    } else if (auto v23 = tag->ID3V23Tag()) {
        object->v23_ = cID3V23Tag::create(std::move(v23));
        made = static_cast<bool>(object->v23_);
    } else if (auto v24 = tag->ID3V24Tag()) {
        object->v24_ = cID3V24Tag::create(std::move(v24));
        made = static_cast<bool>(object->v24_);
    }
    return made ? object : nullptr;
}

const com::DispatchTable<cID3V2Tag>& cID3V2Tag::dispatchTable() {
    using Self = cID3V2Tag;
    using I = _cID3V2Tag;
    static const com::DispatchTable<Self> table{
        com::propertyGet<Self, &I::get_Version>("Version", 1),
        com::propertyGet<Self, &I::get_ID3V22Tag>("ID3V22Tag", 2),
        com::propertyGet<Self, &I::get_ID3V23Tag>("ID3V23Tag", 3),
        com::propertyGet<Self, &I::get_ID3V24Tag>("ID3V24Tag", 4),
        com::propertyGet<Self, &I::get_Artist>("Artist", 5),
        com::propertyGet<Self, &I::get_Album>("Album", 6),
        com::propertyGet<Self, &I::get_Title>("Title", 7),
        com::propertyGet<Self, &I::get_Genre>("Genre", 8),
        com::propertyGet<Self, &I::get_Track>("Track", 9),
        com::propertyGet<Self, &I::get_Year>("Year", 10),
    };
    return table;
}

HRESULT cID3V2Tag::get_Version(LONG* result) {
    return putLong(result, tag_->Version());
}
HRESULT cID3V2Tag::get_ID3V22Tag(_cID3V22Tag** result) {
    return putObject(result, v22_);
}
HRESULT cID3V2Tag::get_ID3V23Tag(_cID3V23Tag** result) {
    return putObject(result, v23_);
}
HRESULT cID3V2Tag::get_ID3V24Tag(_cID3V24Tag** result) {
    return putObject(result, v24_);
}
HRESULT cID3V2Tag::get_Artist(BSTR* result) {
    return putText(result, [&] { return tag_->Artist(); });
}
HRESULT cID3V2Tag::get_Album(BSTR* result) {
    return putText(result, [&] { return tag_->Album(); });
}
HRESULT cID3V2Tag::get_Title(BSTR* result) {
    return putText(result, [&] { return tag_->Title(); });
}
HRESULT cID3V2Tag::get_Genre(BSTR* result) {
    return putText(result, [&] { return tag_->Genre(); });
}
HRESULT cID3V2Tag::get_Track(BSTR* result) {
    return putText(result, [&] { return tag_->Track(); });
}
HRESULT cID3V2Tag::get_Year(BSTR* result) {
    return putText(result, [&] { return tag_->Year(); });
}

// MPEG -----------------------------------------------------------------------------------------

const com::DispatchTable<cMPEGHeader>& cMPEGHeader::dispatchTable() {
    using Self = cMPEGHeader;
    using I = _cMPEGHeader;
    static const com::DispatchTable<Self> table{
        com::propertyGet<Self, &I::get_Version>("Version", 1),
        com::propertyGet<Self, &I::get_Layer>("Layer", 2),
        com::propertyGet<Self, &I::get_Mode>("Mode", 3),
        com::propertyGet<Self, &I::get_Bitrate>("Bitrate", 4),
        com::propertyGet<Self, &I::get_Frequency>("Frequency", 5),
        com::propertyGet<Self, &I::get_Duration>("Duration", 6),
        com::propertyGet<Self, &I::get_CRC>("CRC", 7),
        com::propertyGet<Self, &I::get_Copyright>("Copyright", 8),
        com::propertyGet<Self, &I::get_Original>("Original", 9),
        com::propertyGet<Self, &I::get_VBR>("VBR", 10),
    };
    return table;
}

HRESULT cMPEGHeader::get_Version(BSTR* result) {
    return putText(result, [&] { return header_->Version(); });
}
HRESULT cMPEGHeader::get_Layer(BSTR* result) {
    return putText(result, [&] { return header_->Layer(); });
}
HRESULT cMPEGHeader::get_Mode(BSTR* result) {
    return putText(result, [&] { return header_->Mode(); });
}
HRESULT cMPEGHeader::get_Bitrate(LONG* result) {
    return putLong(result, header_->Bitrate());
}
HRESULT cMPEGHeader::get_Frequency(LONG* result) {
    return putLong(result, header_->Frequency());
}
HRESULT cMPEGHeader::get_Duration(LONG* result) {
    return putLong(result, header_->Duration());
}
HRESULT cMPEGHeader::get_CRC(VARIANT_BOOL* result) {
    return putBool(result, header_->CRC());
}
HRESULT cMPEGHeader::get_Copyright(VARIANT_BOOL* result) {
    return putBool(result, header_->Copyright());
}
HRESULT cMPEGHeader::get_Original(VARIANT_BOOL* result) {
    return putBool(result, header_->Original());
}
HRESULT cMPEGHeader::get_VBR(VARIANT_BOOL* result) {
    return putBool(result, header_->VBR());
}

}  // namespace orvane::server

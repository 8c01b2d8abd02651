// The component-object classes of the tag library, inside the library only. Each class puts its
// interface (orvane/com/interfaces.h) over an object of the readers: the readers fill their
// objects once and never change them again, so the component objects share them read-only and
// a client may keep any of them for as long as it likes.
//
// Objects are created only here, each with one reference that its creator owns; a parent holds
// its children and hands out new references to the same child on every call.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "orvane/com/interfaces.h"
#include "orvane/id3v1.h"
#include "orvane/id3v22.h"
#include "orvane/id3v23.h"
#include "orvane/id3v24.h"
#include "orvane/id3v2locator.h"
#include "orvane/mpegheader.h"
#include "platform/com/automation.h"
#include "platform/com/com.h"
#include "platform/com/dispatch.h"
#include "platform/filesystem.h"

namespace orvane::server {

using com::BSTR;
using com::ComPtr;
using com::HRESULT;
using com::LONG;
using com::SAFEARRAY;
using com::VARIANT;
using com::VARIANT_BOOL;

// Results --------------------------------------------------------------------------------------
// No exception may cross the interface: what the readers' getters throw (only bad_alloc in
// practice) becomes an HRESULT here.

template <class F>
HRESULT guarded(F&& body) noexcept {
    try {
        return std::forward<F>(body)();
    } catch (const std::bad_alloc&) {
        return com::E_OUTOFMEMORY;
    } catch (...) {
        return com::E_FAIL;
    }
}

// A new string holding the text that `produce` gives.
template <class F>
HRESULT putText(BSTR* result, F&& produce) noexcept {
    if (!result) {
        return com::E_POINTER;
    }
    *result = nullptr;
    return guarded([&] {
        *result = com::SysAllocString(std::u16string_view(std::forward<F>(produce)()));
        return *result ? com::S_OK : com::E_OUTOFMEMORY;
    });
}

HRESULT putLong(LONG* result, std::int32_t value) noexcept;
HRESULT putBool(VARIANT_BOOL* result, bool value) noexcept;

// One more reference to `object` as `Interface` (null stays null).
template <class Interface, class Object>
HRESULT putObject(Interface** result, const ComPtr<Object>& object) noexcept {
    if (!result) {
        return com::E_POINTER;
    }
    *result = object.get();
    if (*result) {
        (*result)->AddRef();
    }
    return com::S_OK;
}

// Frames ---------------------------------------------------------------------------------------

template <class Reader, class Interface, const com::IID& Iid>
class Frame final : public com::DispatchObject<Frame<Reader, Interface, Iid>, Interface, Iid> {
public:
    explicit Frame(std::shared_ptr<const Reader> frame) : frame_(std::move(frame)) {}

    static const com::DispatchTable<Frame>& dispatchTable() {
        static const com::DispatchTable<Frame> table{
            com::propertyGet<Frame, &Interface::get_ID>("ID", 1),
            com::propertyGet<Frame, &Interface::get_RawData>("RawData", 2),
            com::propertyGet<Frame, &Interface::get_TextData>("TextData", 3),
        };
        return table;
    }

    HRESULT get_ID(BSTR* result) override {
        return putText(result, [&] { return frame_->ID(); });
    }
    HRESULT get_RawData(SAFEARRAY** result) override {
        if (!result) {
            return com::E_POINTER;
        }
        *result = nullptr;
        return guarded([&] {
            *result = com::byteArray(frame_->RawData());
            return *result ? com::S_OK : com::E_OUTOFMEMORY;
        });
    }
    HRESULT get_TextData(BSTR* result) override {
        return putText(result, [&] { return frame_->TextData(); });
    }

private:
    std::shared_ptr<const Reader> frame_;
};

using cID3V22Frame = Frame<orvane::cID3V22Frame, _cID3V22Frame, IID__cID3V22Frame>;
using cID3V23Frame = Frame<orvane::cID3V23Frame, _cID3V23Frame, IID__cID3V23Frame>;
using cID3V24Frame = Frame<orvane::cID3V24Frame, _cID3V24Frame, IID__cID3V24Frame>;

// Version tags ---------------------------------------------------------------------------------

// What the three version tags share; the ID3v2.2 and ID3v2.3 tags add Year.
template <class Derived, class Reader, class Interface, const com::IID& Iid, class FrameObject,
          class FrameInterface>
class VersionTag : public com::DispatchObject<Derived, Interface, Iid> {
public:
    explicit VersionTag(std::shared_ptr<const Reader> tag)
        : tag_(std::move(tag)), frames_(static_cast<std::size_t>(tag_->FrameCount())) {}

    HRESULT get_FrameList(BSTR* result) override {
        return putText(result, [&] { return tag_->FrameList(); });
    }
    HRESULT get_FrameCount(LONG* result) override { return putLong(result, tag_->FrameCount()); }
    HRESULT GetFrameByID(BSTR* frameID, FrameInterface** result) override {
        if (!frameID || !result) {
            return com::E_POINTER;
        }
        *result = nullptr;
        return guarded([&] {
            const auto wanted = tag_->GetFrameByID(com::bstrView(*frameID));
            for (LONG index = 1; wanted && index <= tag_->FrameCount(); ++index) {
                if (tag_->GetFrameByIndex(index) == wanted) {
                    return frameAt(index, result);
                }
            }
            return com::S_OK;
        });
    }
    HRESULT GetFrameByIndex(LONG* index, FrameInterface** result) override {
        if (!index || !result) {
            return com::E_POINTER;
        }
        *result = nullptr;
        return guarded([&] { return frameAt(*index, result); });
    }
    HRESULT GetText(BSTR* frameID, BSTR* result) override {
        if (!frameID) {
            if (result) {
                *result = nullptr;
            }
            return com::E_POINTER;
        }
        return putText(result, [&] { return tag_->GetText(com::bstrView(*frameID)); });
    }
    HRESULT get_Artist(BSTR* result) override {
        return putText(result, [&] { return tag_->Artist(); });
    }
    HRESULT get_Album(BSTR* result) override {
        return putText(result, [&] { return tag_->Album(); });
    }
    HRESULT get_Title(BSTR* result) override {
        return putText(result, [&] { return tag_->Title(); });
    }
    HRESULT get_Genre(BSTR* result) override {
        return putText(result, [&] { return tag_->Genre(); });
    }
    HRESULT get_Track(BSTR* result) override {
        return putText(result, [&] { return tag_->Track(); });
    }

protected:
    const Reader& tag() const { return *tag_; }

private:
    // The component object of the frame at the 1-based `index`, made on first demand so that a
    // client gets the same object every time it asks; null outside 1 .. FrameCount.
    HRESULT frameAt(LONG index, FrameInterface** result) {
        if (index < 1 || index > tag_->FrameCount()) {
            return com::S_OK;
        }
        ComPtr<FrameObject>& slot = frames_[static_cast<std::size_t>(index - 1)];
        if (!slot) {
            slot = FrameObject::create(tag_->GetFrameByIndex(index));
            if (!slot) {
                return com::E_OUTOFMEMORY;
            }
        }
        return putObject(result, slot);
    }

    std::shared_ptr<const Reader> tag_;
    std::vector<ComPtr<FrameObject>> frames_;
};

class cID3V22Tag final : public VersionTag<cID3V22Tag, orvane::cID3V22Tag, _cID3V22Tag,
                                           IID__cID3V22Tag, cID3V22Frame, _cID3V22Frame> {
public:
    using VersionTag::VersionTag;
    static const com::DispatchTable<cID3V22Tag>& dispatchTable();
    HRESULT get_Year(BSTR* result) override;
};

class cID3V23Tag final : public VersionTag<cID3V23Tag, orvane::cID3V23Tag, _cID3V23Tag,
                                           IID__cID3V23Tag, cID3V23Frame, _cID3V23Frame> {
public:
    using VersionTag::VersionTag;
    static const com::DispatchTable<cID3V23Tag>& dispatchTable();
    HRESULT get_Year(BSTR* result) override;
};

class cID3V24Tag final : public VersionTag<cID3V24Tag, orvane::cID3V24Tag, _cID3V24Tag,
                                           IID__cID3V24Tag, cID3V24Frame, _cID3V24Frame> {
public:
    using VersionTag::VersionTag;
    static const com::DispatchTable<cID3V24Tag>& dispatchTable();
};

// ID3v1, ID3v2 and MPEG ------------------------------------------------------------------------

class cID3V1Tag final : public com::DispatchObject<cID3V1Tag, _cID3V1Tag, IID__cID3V1Tag> {
public:
    explicit cID3V1Tag(std::shared_ptr<const orvane::cID3V1Tag> tag) : tag_(std::move(tag)) {}
    static const com::DispatchTable<cID3V1Tag>& dispatchTable();

    HRESULT get_Title(BSTR* result) override;
    HRESULT get_Artist(BSTR* result) override;
    HRESULT get_Album(BSTR* result) override;
    HRESULT get_Year(BSTR* result) override;
    HRESULT get_Comments(BSTR* result) override;
    HRESULT get_Track(LONG* result) override;
    HRESULT get_Genre(LONG* result) override;
    HRESULT GenreString(LONG* genreCode, VARIANT* result) override;

    const orvane::cID3V1Tag& reader() const { return *tag_; }

private:
    std::shared_ptr<const orvane::cID3V1Tag> tag_;
};

class cID3V2Tag final : public com::DispatchObject<cID3V2Tag, _cID3V2Tag, IID__cID3V2Tag> {
public:
    // The component object of a tag that was read, with the object of its version; null when
    // memory runs out.
    static ComPtr<cID3V2Tag> wrap(std::shared_ptr<const orvane::cID3V2Tag> tag);

    explicit cID3V2Tag(std::shared_ptr<const orvane::cID3V2Tag> tag) : tag_(std::move(tag)) {}
    static const com::DispatchTable<cID3V2Tag>& dispatchTable();

    HRESULT get_Version(LONG* result) override;
    HRESULT get_ID3V22Tag(_cID3V22Tag** result) override;
    HRESULT get_ID3V23Tag(_cID3V23Tag** result) override;
    HRESULT get_ID3V24Tag(_cID3V24Tag** result) override;
    HRESULT get_Artist(BSTR* result) override;
    HRESULT get_Album(BSTR* result) override;
    HRESULT get_Title(BSTR* result) override;
    HRESULT get_Genre(BSTR* result) override;
    HRESULT get_Track(BSTR* result) override;
    HRESULT get_Year(BSTR* result) override;

    const orvane::cID3V2Tag& reader() const { return *tag_; }

private:
    std::shared_ptr<const orvane::cID3V2Tag> tag_;
    ComPtr<cID3V22Tag> v22_;
    ComPtr<cID3V23Tag> v23_;
    ComPtr<cID3V24Tag> v24_;
};

class cMPEGHeader final : public com::DispatchObject<cMPEGHeader, _cMPEGHeader, IID__cMPEGHeader> {
public:
    explicit cMPEGHeader(std::shared_ptr<const orvane::cMPEGHeader> header)
        : header_(std::move(header)) {}
    static const com::DispatchTable<cMPEGHeader>& dispatchTable();

    HRESULT get_Version(BSTR* result) override;
    HRESULT get_Layer(BSTR* result) override;
    HRESULT get_Mode(BSTR* result) override;
    HRESULT get_Bitrate(LONG* result) override;
    HRESULT get_Frequency(LONG* result) override;
    HRESULT get_Duration(LONG* result) override;
    HRESULT get_CRC(VARIANT_BOOL* result) override;
    HRESULT get_Copyright(VARIANT_BOOL* result) override;
    HRESULT get_Original(VARIANT_BOOL* result) override;
    HRESULT get_VBR(VARIANT_BOOL* result) override;

private:
    std::shared_ptr<const orvane::cMPEGHeader> header_;
};

// The facade ---------------------------------------------------------------------------------

class cID3Tags final : public com::DispatchObject<cID3Tags, _cID3Tags, IID__cID3Tags> {
public:
    static const com::DispatchTable<cID3Tags>& dispatchTable();

    HRESULT get_HasID3V1(VARIANT_BOOL* result) override;
    HRESULT get_HasID3V2(VARIANT_BOOL* result) override;
    HRESULT get_ID3V1Tag(_cID3V1Tag** result) override;
    HRESULT get_ID3V2Tag(_cID3V2Tag** result) override;
    HRESULT get_Title(BSTR* result) override;
    HRESULT get_Artist(BSTR* result) override;
    HRESULT get_Album(BSTR* result) override;
    HRESULT get_Year(BSTR* result) override;
    HRESULT get_Comments(BSTR* result) override;
    HRESULT get_Track(BSTR* result) override;
    HRESULT get_Genre(BSTR* result) override;

    // Library-internal. Reads the ID3v1 tag, then the ID3v2 tag, of the open file (each only
    // when asked to) and keeps those that were read. True when at least one was; false also
    // when anything went wrong.
    bool ReadTags(const platform::fs::ReadFile& file, std::int64_t fileLength, bool readID3V1,
                  bool readID3V2) noexcept;
    // The 1-based file position where the audio begins: right after an ID3v2 tag that stands
    // at the very start of the file (and after its footer); -1 when that is not known.
    std::int64_t AudioStart() const;

private:
    // The text of the ID3v2 tag's property; when it is empty or there is no ID3v2 tag, the
    // ID3v1 tag's (through `v1`, which may be null for a property that ID3v1 lacks).
    template <class V2, class V1>
    HRESULT combined(BSTR* result, V2 v2, V1 v1);

    ComPtr<cID3V1Tag> m_oID3V1;
    ComPtr<cID3V2Tag> m_oID3V2;
};

class cMP3File final : public com::DispatchObject<cMP3File, _cMP3File, IID__cMP3File> {
public:
    cMP3File() = default;
    static const com::DispatchTable<cMP3File>& dispatchTable();

    HRESULT get_FileName(BSTR* result) override;
    HRESULT get_HasID3Tag(VARIANT_BOOL* result) override;
    HRESULT get_HasMPEG(VARIANT_BOOL* result) override;
    HRESULT get_ID3Tags(_cID3Tags** result) override;
    HRESULT get_MPEGHeader(_cMPEGHeader** result) override;
    HRESULT Reset() override;
    HRESULT ReadFile(BSTR* fileName, VARIANT_BOOL* result) override;

private:
    // The steps of ReadFile after the file name was taken; false when the file cannot be
    // opened or read.
    bool read(BSTR fileName);

    ComPtr<cID3Tags> m_oID3Tags;
    ComPtr<cMPEGHeader> m_oMPEGHeader;
    std::u16string m_sFileName;
    std::int64_t m_lFileLength = 0;
    // Every ReadFile reads all three parts; nothing switches them off.
    bool m_bReadID3V1 = true;
    bool m_bReadID3V2 = true;
    bool m_bReadMPEG = true;
};

}  // namespace orvane::server

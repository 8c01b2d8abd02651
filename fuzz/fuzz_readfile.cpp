// Fuzz target of the tag library: any bytes become a file that cMP3File::ReadFile reads, then
// everything a client can reach from it is walked and released again. Built for libFuzzer with
// QUENZA_FUZZ=ON under clang, and in every build as fuzz_corpus (fuzz/corpus_main.cpp), which
// replays the corpus once as a test.
//
// Besides crashes, leaks and hangs, the walk stops the process on answers that no file may
// produce: a failed HRESULT (the readers report damage by absence, never by an error), an
// automation Boolean other than -1 / 0, parts that contradict each other, or an object still
// alive once every reference was given back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>

#include "orvane/com/interfaces.h"
#include "platform/com/automation.h"
#include "platform/com/com.h"
#include "platform/com/dispatch.h"

// The library's own entry points, linked in from its objects rather than loaded.
extern "C" com::HRESULT DllGetClassObject(const com::CLSID& clsid, const com::IID& iid,
                                          void** object);
extern "C" com::HRESULT DllCanUnloadNow();

namespace {

using com::BSTR;
using com::Bstr;
using com::ComPtr;
using com::HRESULT;
using com::LONG;
using com::VARIANT_BOOL;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_readfile: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

void check(HRESULT hr, const char* what) {
    if (hr != com::S_OK) {
        fail(what);
    }
}

// A private folder for the one input file, made on first use and removed when the process ends
// normally.
class Workspace {
public:
    Workspace() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quenza-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            fail("cannot make a temporary folder");
        }
        folder_ = pattern;
        file_ = folder_ + "/input.mp3";
        // The library wants the name as a UTF-16 string; the folder never changes.
        name_ = Bstr::attach(com::bstrFromUtf8(file_));
    }
    ~Workspace() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    void write(const std::uint8_t* data, std::size_t size) const {
        std::FILE* out = std::fopen(file_.c_str(), "wb");
        if (!out) {
            fail("cannot write the input file");
        }
        const bool written = size == 0 || std::fwrite(data, 1, size, out) == size;
        if (std::fclose(out) != 0 || !written) {
            fail("cannot write the input file");
        }
    }
    BSTR name() const { return name_.get(); }

private:
    std::string folder_;
    std::string file_;
    Bstr name_;
};

// A getter called, its result checked and freed.
template <class Object, class Getter>
std::u16string getText(Object* object, Getter getter, const char* what) {
    BSTR value = nullptr;
    check((object->*getter)(&value), what);
    std::u16string result(com::bstrView(value));
    com::SysFreeString(value);
    return result;
}

template <class Object, class Getter>
bool getBool(Object* object, Getter getter, const char* what) {
    VARIANT_BOOL value = 1;
    check((object->*getter)(&value), what);
    if (value != com::VARIANT_TRUE && value != com::VARIANT_FALSE) {
        fail("an automation Boolean is neither true nor false");
    }
    return value == com::VARIANT_TRUE;
}

template <class Object, class Getter>
LONG getLong(Object* object, Getter getter, const char* what) {
    LONG value = 0;
    check((object->*getter)(&value), what);
    return value;
}

template <class Interface, class Object, class Getter>
ComPtr<Interface> getObject(Object* object, Getter getter, const char* what) {
    Interface* value = nullptr;
    check((object->*getter)(&value), what);
    return ComPtr<Interface>::attach(value);
}

void walkMpegHeader(orvane::_cMPEGHeader* header) {
    using H = orvane::_cMPEGHeader;
    getText(header, &H::get_Version, "MPEGHeader.Version");
    getText(header, &H::get_Layer, "MPEGHeader.Layer");
    getText(header, &H::get_Mode, "MPEGHeader.Mode");
    getLong(header, &H::get_Bitrate, "MPEGHeader.Bitrate");
    if (getLong(header, &H::get_Frequency, "MPEGHeader.Frequency") <= 0) {
        fail("a header that was found has no sampling frequency");
    }
    getLong(header, &H::get_Duration, "MPEGHeader.Duration");
    getBool(header, &H::get_CRC, "MPEGHeader.CRC");
    getBool(header, &H::get_Copyright, "MPEGHeader.Copyright");
    getBool(header, &H::get_Original, "MPEGHeader.Original");
    getBool(header, &H::get_VBR, "MPEGHeader.VBR");
}

void walkId3v1(orvane::_cID3V1Tag* tag) {
    using T = orvane::_cID3V1Tag;
    getText(tag, &T::get_Title, "ID3V1Tag.Title");
    getText(tag, &T::get_Artist, "ID3V1Tag.Artist");
    getText(tag, &T::get_Album, "ID3V1Tag.Album");
    getText(tag, &T::get_Year, "ID3V1Tag.Year");
    getText(tag, &T::get_Comments, "ID3V1Tag.Comments");
    const LONG track = getLong(tag, &T::get_Track, "ID3V1Tag.Track");
    LONG genre = getLong(tag, &T::get_Genre, "ID3V1Tag.Genre");
    if (track < 0 || track > 255 || genre < 0 || genre > 255) {
        fail("an ID3v1 byte field lies outside 0 .. 255");
    }
    com::Variant name;
    check(tag->GenreString(&genre, name.get()), "ID3V1Tag.GenreString");
    if (name->vt != com::VT_BSTR) {
        fail("GenreString did not give a string");
    }
}

// The IDs a walk looks up by name: each distinct one once, and not more than this many, so that
// a tag of thousands of tiny frames costs the walk no more than it costs the reader.
constexpr std::size_t kLookups = 64;

// One version tag (the three interfaces have the same members; ID3v2.4 lacks Year).
template <class Tag, class Frame>
void walkVersionTag(Tag* tag) {
    const std::u16string list = getText(tag, &Tag::get_FrameList, "FrameList");
    const LONG count = getLong(tag, &Tag::get_FrameCount, "FrameCount");
    if (count < 0) {
        fail("negative frame count");
    }
    std::u16string joined;
    std::set<std::u16string> ids;
    for (LONG index = 0; index <= count + 1; ++index) {
        LONG at = index;
        Frame* found = nullptr;
        check(tag->GetFrameByIndex(&at, &found), "GetFrameByIndex");
        const auto frame = ComPtr<Frame>::attach(found);
        if (at != index) {
            fail("GetFrameByIndex changed its argument");
        }
        const bool inside = index >= 1 && index <= count;
        if (static_cast<bool>(frame) != inside) {
            fail("GetFrameByIndex disagrees with FrameCount");
        }
        if (!frame) {
            continue;
        }
        const std::u16string id = getText(frame.get(), &Frame::get_ID, "Frame.ID");
        joined += id;
        joined += u';';
        if (ids.size() < kLookups) {
            ids.insert(id);
        }
        com::SAFEARRAY* raw = nullptr;
        check(frame->get_RawData(&raw), "Frame.RawData");
        if (raw) {
            check(com::SafeArrayDestroy(raw), "SafeArrayDestroy");
        }
        getText(frame.get(), &Frame::get_TextData, "Frame.TextData");
    }
    if (joined != list) {
        fail("FrameList does not list the frames in order");
    }
    for (const std::u16string& id : ids) {
        Bstr wanted(id);
        BSTR argument = wanted.get();
        Frame* found = nullptr;
        check(tag->GetFrameByID(&argument, &found), "GetFrameByID");
        if (!found) {
            fail("GetFrameByID misses an ID that FrameList lists");
        }
        found->Release();
        Bstr joinedText;
        check(tag->GetText(&argument, joinedText.put()), "GetText");
    }
    // And an ID that no frame has (frame IDs are 3 or 4 characters long).
    Bstr none(u"NONEXISTENT");
    BSTR argument = none.get();
    Frame* missing = nullptr;
    check(tag->GetFrameByID(&argument, &missing), "GetFrameByID");
    if (missing) {
        fail("GetFrameByID found an ID that no frame has");
    }

    getText(tag, &Tag::get_Artist, "Artist");
    getText(tag, &Tag::get_Album, "Album");
    getText(tag, &Tag::get_Title, "Title");
    getText(tag, &Tag::get_Genre, "Genre");
    getText(tag, &Tag::get_Track, "Track");
    if constexpr (requires { &Tag::get_Year; }) {
        getText(tag, &Tag::get_Year, "Year");
    }
}

void walkId3v2(orvane::_cID3V2Tag* tag) {
    using T = orvane::_cID3V2Tag;
    const LONG version = getLong(tag, &T::get_Version, "ID3V2Tag.Version");
    const auto v22 = getObject<orvane::_cID3V22Tag>(tag, &T::get_ID3V22Tag, "ID3V22Tag");
    const auto v23 = getObject<orvane::_cID3V23Tag>(tag, &T::get_ID3V23Tag, "ID3V23Tag");
    const auto v24 = getObject<orvane::_cID3V24Tag>(tag, &T::get_ID3V24Tag, "ID3V24Tag");
    if (static_cast<bool>(v22) != (version == 2) || static_cast<bool>(v23) != (version == 3) ||
        static_cast<bool>(v24) != (version == 4)) {
        fail("the version objects do not match Version");
    }
    if (v22) {
        walkVersionTag<orvane::_cID3V22Tag, orvane::_cID3V22Frame>(v22.get());
    }
    if (v23) {
        walkVersionTag<orvane::_cID3V23Tag, orvane::_cID3V23Frame>(v23.get());
    }
    if (v24) {
        walkVersionTag<orvane::_cID3V24Tag, orvane::_cID3V24Frame>(v24.get());
    }
    getText(tag, &T::get_Artist, "ID3V2Tag.Artist");
    getText(tag, &T::get_Album, "ID3V2Tag.Album");
    getText(tag, &T::get_Title, "ID3V2Tag.Title");
    getText(tag, &T::get_Genre, "ID3V2Tag.Genre");
    getText(tag, &T::get_Track, "ID3V2Tag.Track");
    getText(tag, &T::get_Year, "ID3V2Tag.Year");
}

void walkId3Tags(orvane::_cID3Tags* tags) {
    using T = orvane::_cID3Tags;
    const bool hasV1 = getBool(tags, &T::get_HasID3V1, "ID3Tags.HasID3V1");
    const bool hasV2 = getBool(tags, &T::get_HasID3V2, "ID3Tags.HasID3V2");
    if (!hasV1 && !hasV2) {
        fail("ID3Tags without either tag");
    }
    getText(tags, &T::get_Title, "ID3Tags.Title");
    getText(tags, &T::get_Artist, "ID3Tags.Artist");
    getText(tags, &T::get_Album, "ID3Tags.Album");
    getText(tags, &T::get_Year, "ID3Tags.Year");
    getText(tags, &T::get_Comments, "ID3Tags.Comments");
    getText(tags, &T::get_Track, "ID3Tags.Track");
    getText(tags, &T::get_Genre, "ID3Tags.Genre");

    const auto v1 = getObject<orvane::_cID3V1Tag>(tags, &T::get_ID3V1Tag, "ID3V1Tag");
    const auto v2 = getObject<orvane::_cID3V2Tag>(tags, &T::get_ID3V2Tag, "ID3V2Tag");
    if (static_cast<bool>(v1) != hasV1 || static_cast<bool>(v2) != hasV2) {
        fail("HasID3V1 / HasID3V2 disagree with the tag objects");
    }
    if (v1) {
        walkId3v1(v1.get());
    }
    if (v2) {
        walkId3v2(v2.get());
    }
}

void readAndWalk(BSTR fileName) {
    ComPtr<com::IClassFactory> factory;
    check(DllGetClassObject(orvane::CLSID_cMP3File, com::IID_IClassFactory, factory.put()),
          "DllGetClassObject");
    ComPtr<orvane::_cMP3File> file;
    check(factory->CreateInstance(nullptr, orvane::IID__cMP3File, file.put()), "CreateInstance");
    using F = orvane::_cMP3File;
    factory.reset();

    VARIANT_BOOL read = 1;
    BSTR argument = fileName;
    check(file->ReadFile(&argument, &read), "ReadFile");
    if (read != com::VARIANT_TRUE) {
        fail("ReadFile could not read a file that exists");
    }
    const bool hasTag = getBool(file.get(), &F::get_HasID3Tag, "HasID3Tag");
    const bool hasMpeg = getBool(file.get(), &F::get_HasMPEG, "HasMPEG");
    const auto tags = getObject<orvane::_cID3Tags>(file.get(), &F::get_ID3Tags, "ID3Tags");
    const auto header =
        getObject<orvane::_cMPEGHeader>(file.get(), &F::get_MPEGHeader, "MPEGHeader");
    if (static_cast<bool>(tags) != hasTag || static_cast<bool>(header) != hasMpeg) {
        fail("HasID3Tag / HasMPEG disagree with the objects");
    }
    // What a client holds must outlive both the file object's Reset and the file object.
    check(file->Reset(), "Reset");
    if (getBool(file.get(), &F::get_HasID3Tag, "HasID3Tag") ||
        getBool(file.get(), &F::get_HasMPEG, "HasMPEG")) {
        fail("Reset kept what the file held");
    }
    file.reset();
    if (header) {
        walkMpegHeader(header.get());
    }
    if (tags) {
        walkId3Tags(tags.get());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Workspace workspace;
    workspace.write(data, size);
    readAndWalk(workspace.name());
    // Every reference was given back, so no object of the library may still be alive.
    if (DllCanUnloadNow() != com::S_OK) {
        fail("objects of the library are still alive after the walk");
    }
    return 0;
}

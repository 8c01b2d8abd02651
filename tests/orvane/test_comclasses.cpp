// The shared library OrvaneMP3 as a client meets it: registered into a temporary registry,
// created by class identifier, and called through the virtual table and through IDispatch by
// name. The library is never linked: it is loaded at run time, like the program loads it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "orvane/com/interfaces.h"
#include "platform/com/activation.h"
#include "platform/com/automation.h"
#include "platform/com/dispatch.h"
#include "platform/com/registry.h"
#include "tests/orvane/fixturebytes.h"
#include "tests/orvane/orvaneclient.h"
#include "tests/support/tempdir.h"

namespace {

using com::Bstr;
using com::ComPtr;
using com::HRESULT;
using com::LONG;
using com::VARIANT_BOOL;
using testsupport::bigEndian;
using testsupport::synchsafe;
using testsupport::TempDir;
using namespace orvanetest;

// Building files ---------------------------------------------------------------------------------

// An ID3v2.3 frame and tag (frame sizes plain big-endian).
std::string frame23(std::string_view id, std::string_view payload) {
    return std::string(id) + bigEndian(static_cast<std::uint32_t>(payload.size()), 4) +
           std::string(2, '\0') + std::string(payload);
}
std::string text23(std::string_view id, std::string_view text) {
    return frame23(id, std::string(1, '\0') + std::string(text));
}
std::string tag23(const std::string& frames, std::size_t padding = 16) {
    const std::string body = frames + std::string(padding, '\0');
    return "ID3" + std::string{3, 0, 0} + synchsafe(static_cast<std::uint32_t>(body.size())) + body;
}

// An ID3v2.4 frame and tag (frame sizes synchsafe).
std::string text24(std::string_view id, std::string_view text) {
    const std::string payload = std::string(1, '\0') + std::string(text);
    return std::string(id) + synchsafe(static_cast<std::uint32_t>(payload.size())) +
           std::string(2, '\0') + payload;
}
std::string tag24(const std::string& frames) {
    return "ID3" + std::string{4, 0, 0} + synchsafe(static_cast<std::uint32_t>(frames.size())) +
           frames;
}

// A 128-byte ID3v1 record; a track above 0 makes it ID3v1.1.
std::string id3v1(std::string_view title, std::string_view artist, std::string_view album,
                  std::string_view year, std::string_view comment, int track, int genre) {
    std::string out(128, '\0');
    const auto place = [&out](std::size_t offset, std::size_t width, std::string_view text) {
        out.replace(offset, std::min(width, text.size()), text.substr(0, width));
    };
    place(0, 3, "TAG");
    place(3, 30, title);
    place(33, 30, artist);
    place(63, 30, album);
    place(93, 4, year);
    place(97, track > 0 ? 28 : 30, comment);
    if (track > 0) {
        out[126] = static_cast<char>(track);
    }
    out[127] = static_cast<char>(genre);
    return out;
}

// MPEG-1 Layer III, 44100 Hz, joint stereo, original, no CRC; `bitrateIndex` 9 is 128 kbit/s,
// 14 is 320 kbit/s.
std::string frameHeader(int bitrateIndex) {
    return {static_cast<char>(0xFF), static_cast<char>(0xFB), static_cast<char>(bitrateIndex << 4),
            static_cast<char>(0x64)};
}
// A few 128 kbit/s frames (417 bytes each) without a Xing header.
std::string audio() {
    std::string out;
    for (int i = 0; i < 4; ++i) {
        out += frameHeader(9) + std::string(413, '\x11');
    }
    return out;
}

// A private frame whose bytes look like a 320 kbit/s frame header: a search that starts inside
// the tag takes it for the audio.
std::string decoyFrame() {
    return frame23("PRIV", "decoy" + std::string(1, '\0') + frameHeader(14) + "xxxx");
}

// The crafted file of most tests: ID3v2.3 tag, MPEG frames, ID3v1.1 tag.
std::string craftedFile() {
    const std::string v2 =
        tag23(text23("TIT2", "Second Skin") + text23("TPE1", "The Tessellates") +
              text23("TALB", "Folding Light") + text23("TRCK", "3/12") +
              text23("TCON", "(17)Rock") + text23("TYER", "2004") + decoyFrame());
    return v2 + audio() + id3v1("v1 title", "v1 artist", "v1 album", "1999", "v1 comment", 7, 17);
}

// Calling through IDispatch ----------------------------------------------------------------------

// Looks `name` up with GetIDsOfNames and invokes it with `args` (given first first), as a
// script would. The result is empty when the call failed; `hr` says why.
struct Invoked {
    HRESULT hr = com::E_FAIL;
    com::Variant result;
};

Invoked invoke(com::IDispatch* object, std::u16string name, com::WORD flags,
               std::vector<com::VARIANT> args = {}) {
    Invoked out;
    com::OLECHAR* names[] = {name.data()};
    com::DISPID id = 0;
    out.hr = object->GetIDsOfNames(com::IID_NULL, names, 1, 0, &id);
    if (com::failed(out.hr)) {
        return out;
    }
    std::vector<com::VARIANT> lastFirst(args.rbegin(), args.rend());
    com::DISPPARAMS params;
    params.rgvarg = lastFirst.empty() ? nullptr : lastFirst.data();
    params.cArgs = static_cast<com::UINT>(lastFirst.size());
    com::EXCEPINFO exception;
    com::UINT argError = 0;
    out.hr = object->Invoke(id, com::IID_NULL, 0, flags, &params, out.result.get(), &exception,
                            &argError);
    com::clearExcepInfo(exception);
    return out;
}

Invoked get(com::IDispatch* object, std::u16string name) {
    return invoke(object, std::move(name), com::DISPATCH_PROPERTYGET);
}

// A property of `object` that is itself an object, through IDispatch.
ComPtr<com::IDispatch> getObject(com::IDispatch* object, std::u16string name) {
    Invoked got = get(object, name);
    if (com::failed(got.hr) || got.result->vt != com::VT_DISPATCH || !got.result->pdispVal) {
        ADD_FAILURE() << "no object from " << std::string(name.begin(), name.end());
        return nullptr;
    }
    got.result->pdispVal->AddRef();
    return ComPtr<com::IDispatch>::attach(got.result->pdispVal);
}

std::u16string textOf(const Invoked& invoked) {
    EXPECT_EQ(invoked.hr, com::S_OK);
    EXPECT_EQ(invoked.result->vt, com::VT_BSTR);
    return invoked.result->vt == com::VT_BSTR
               ? std::u16string(com::bstrView(invoked.result->bstrVal))
               : u"<not a string>";
}

// A string argument by reference: the caller's own variable, holding a string of the caller.
struct StringArgument {
    explicit StringArgument(std::u16string_view text) : owned(text), variable(owned.get()) {}
    com::BSTR* ref() { return &variable; }
    Bstr owned;
    com::BSTR variable;
};

std::string classKey(const com::CLSID& clsid) {
    return "HKEY_CLASSES_ROOT\\CLSID\\" + com::guidText(clsid);
}

// Registration ---------------------------------------------------------------------------------

TEST_F(OrvaneMP3Test, RegistrationRecordsTheLibraryItsClassAndItsInterfaces) {
    namespace reg = com::registry;
    const std::string library =
        std::filesystem::absolute(QUENZA_TEST_ORVANE_MP3).lexically_normal().string();
    const std::string cls = classKey(orvane::CLSID_cMP3File);
    EXPECT_EQ(reg::value(cls + "\\InprocServer32"), library);
    EXPECT_EQ(reg::value(cls + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(reg::value(cls + "\\TypeLib"), com::guidText(orvane::LIBID_OrvaneMP3));
    // Only the facade can be created, so only its class is registered.
    EXPECT_EQ(reg::subKeys("HKEY_CLASSES_ROOT\\CLSID"),
              std::vector<std::string>{com::guidText(orvane::CLSID_cMP3File)});

    const std::string typeLibrary =
        "HKEY_CLASSES_ROOT\\TypeLib\\" + com::guidText(orvane::LIBID_OrvaneMP3) + "\\1.0";
    EXPECT_EQ(reg::value(typeLibrary), "Orvane MP3 Library");
    EXPECT_EQ(reg::value(typeLibrary + "\\0\\linux"), library);
    const std::pair<com::IID, const char*> interfaces[] = {
        {orvane::IID__cMPEGHeader, "_cMPEGHeader"},   {orvane::IID__cID3V1Tag, "_cID3V1Tag"},
        {orvane::IID__cID3V2Tag, "_cID3V2Tag"},       {orvane::IID__cMP3File, "_cMP3File"},
        {orvane::IID__cID3V22Tag, "_cID3V22Tag"},     {orvane::IID__cID3V23Tag, "_cID3V23Tag"},
        {orvane::IID__cID3V24Tag, "_cID3V24Tag"},     {orvane::IID__cID3V24Frame, "_cID3V24Frame"},
        {orvane::IID__cID3V23Frame, "_cID3V23Frame"}, {orvane::IID__cID3V22Frame, "_cID3V22Frame"},
        {orvane::IID__cID3Tags, "_cID3Tags"},
    };
    EXPECT_EQ(reg::subKeys("HKEY_CLASSES_ROOT\\Interface").size(), std::size(interfaces));
    for (const auto& [iid, name] : interfaces) {
        const std::string key = "HKEY_CLASSES_ROOT\\Interface\\" + com::guidText(iid);
        EXPECT_EQ(reg::value(key), name);
        EXPECT_EQ(reg::value(key + "\\TypeLib"), com::guidText(orvane::LIBID_OrvaneMP3)) << name;
    }

    // Unregistering takes all of it away again, and the class can no longer be created.
    const auto unregisterServer = entryPoint<EntryPoint>("DllUnregisterServer");
    ASSERT_NE(unregisterServer, nullptr);
    ASSERT_EQ(unregisterServer(), com::S_OK);
    EXPECT_TRUE(reg::subKeys("HKEY_CLASSES_ROOT\\CLSID").empty());
    EXPECT_TRUE(reg::subKeys("HKEY_CLASSES_ROOT\\Interface").empty());
    EXPECT_TRUE(reg::subKeys("HKEY_CLASSES_ROOT\\TypeLib").empty());
    ComPtr<orvane::_cMP3File> file;
    EXPECT_EQ(com::createInstance(orvane::CLSID_cMP3File, orvane::IID__cMP3File, file.put()),
              com::REGDB_E_CLASSNOTREG);
}

TEST_F(OrvaneMP3Test, OnlyTheFacadeIsCreatableAndItAnswersItsThreeInterfaces) {
    const auto getClassObject = entryPoint<GetClassObject>("DllGetClassObject");
    ASSERT_NE(getClassObject, nullptr);
    void* raw = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject(orvane::CLSID_cID3Tags, com::IID_IClassFactory, &raw),
              com::CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(raw, nullptr);

    const auto file = createFile();
    ASSERT_TRUE(file);
    for (const com::IID& iid : {com::IID_IUnknown, com::IID_IDispatch, orvane::IID__cMP3File}) {
        ComPtr<com::IUnknown> same;
        EXPECT_EQ(file->QueryInterface(iid, same.put()), com::S_OK);
        EXPECT_EQ(static_cast<void*>(same.get()), static_cast<void*>(file.get()));
    }
    ComPtr<com::IUnknown> other;
    EXPECT_EQ(file->QueryInterface(orvane::IID__cID3Tags, other.put()), com::E_NOINTERFACE);
    EXPECT_FALSE(other);
}

// The crafted file -----------------------------------------------------------------------------

TEST_F(OrvaneMP3Test, ReadsACraftedFileThroughTheVirtualTable) {
    using namespace orvane;
    const std::string path = write("song.mp3", craftedFile());
    const auto file = createFile();
    ASSERT_TRUE(file);
    EXPECT_EQ(readFile(file.get(), path), com::VARIANT_TRUE);
    EXPECT_EQ(text(file.get(), &_cMP3File::get_FileName), std::u16string(path.begin(), path.end()));
    EXPECT_EQ(flag(file.get(), &_cMP3File::get_HasID3Tag), com::VARIANT_TRUE);
    EXPECT_EQ(flag(file.get(), &_cMP3File::get_HasMPEG), com::VARIANT_TRUE);

    // The header is the first one of the audio: the decoy inside the ID3v2 tag is skipped.
    const auto mpeg = child(file.get(), &_cMP3File::get_MPEGHeader);
    ASSERT_TRUE(mpeg);
    EXPECT_EQ(text(mpeg.get(), &_cMPEGHeader::get_Version), u"MPEG Version 1");
    EXPECT_EQ(text(mpeg.get(), &_cMPEGHeader::get_Layer), u"Layer III");
    EXPECT_EQ(text(mpeg.get(), &_cMPEGHeader::get_Mode), u"Joint Stereo");
    EXPECT_EQ(number(mpeg.get(), &_cMPEGHeader::get_Bitrate), 128);
    EXPECT_EQ(number(mpeg.get(), &_cMPEGHeader::get_Frequency), 44100);
    EXPECT_EQ(flag(mpeg.get(), &_cMPEGHeader::get_CRC), com::VARIANT_FALSE);
    EXPECT_EQ(flag(mpeg.get(), &_cMPEGHeader::get_Copyright), com::VARIANT_FALSE);
    EXPECT_EQ(flag(mpeg.get(), &_cMPEGHeader::get_Original), com::VARIANT_TRUE);
    EXPECT_EQ(flag(mpeg.get(), &_cMPEGHeader::get_VBR), com::VARIANT_FALSE);

    // The combined texts prefer ID3v2; Comments is ID3v1's alone.
    const auto tags = child(file.get(), &_cMP3File::get_ID3Tags);
    ASSERT_TRUE(tags);
    EXPECT_EQ(flag(tags.get(), &_cID3Tags::get_HasID3V1), com::VARIANT_TRUE);
    EXPECT_EQ(flag(tags.get(), &_cID3Tags::get_HasID3V2), com::VARIANT_TRUE);
    EXPECT_EQ(text(tags.get(), &_cID3Tags::get_Title), u"Second Skin");
    EXPECT_EQ(text(tags.get(), &_cID3Tags::get_Artist), u"The Tessellates");
    EXPECT_EQ(text(tags.get(), &_cID3Tags::get_Album), u"Folding Light");
    EXPECT_EQ(text(tags.get(), &_cID3Tags::get_Year), u"2004");
    EXPECT_EQ(text(tags.get(), &_cID3Tags::get_Comments), u"v1 comment");
    EXPECT_EQ(text(tags.get(), &_cID3Tags::get_Track), u"3/12");
    EXPECT_EQ(text(tags.get(), &_cID3Tags::get_Genre), u"(17)Rock");
    // The facade hands out the same object on every read.
    EXPECT_EQ(child(file.get(), &_cMP3File::get_ID3Tags).get(), tags.get());

    const auto v1 = child(tags.get(), &_cID3Tags::get_ID3V1Tag);
    ASSERT_TRUE(v1);
    EXPECT_EQ(text(v1.get(), &_cID3V1Tag::get_Title), u"v1 title");
    EXPECT_EQ(number(v1.get(), &_cID3V1Tag::get_Track), 7);
    EXPECT_EQ(number(v1.get(), &_cID3V1Tag::get_Genre), 17);
    LONG code = 17;
    com::Variant genre;
    EXPECT_EQ(v1->GenreString(&code, genre.get()), com::S_OK);
    ASSERT_EQ(genre->vt, com::VT_BSTR);
    EXPECT_EQ(com::bstrView(genre->bstrVal), u"Rock");
    EXPECT_EQ(code, 17);

    const auto v2 = child(tags.get(), &_cID3Tags::get_ID3V2Tag);
    ASSERT_TRUE(v2);
    EXPECT_EQ(number(v2.get(), &_cID3V2Tag::get_Version), 3);
    EXPECT_FALSE(child(v2.get(), &_cID3V2Tag::get_ID3V22Tag));
    EXPECT_FALSE(child(v2.get(), &_cID3V2Tag::get_ID3V24Tag));
    const auto v23 = child(v2.get(), &_cID3V2Tag::get_ID3V23Tag);
    ASSERT_TRUE(v23);
    EXPECT_EQ(text(v23.get(), &_cID3V23Tag::get_FrameList), u"TIT2;TPE1;TALB;TRCK;TCON;TYER;PRIV;");
    EXPECT_EQ(number(v23.get(), &_cID3V23Tag::get_FrameCount), 7);
    EXPECT_EQ(text(v23.get(), &_cID3V23Tag::get_Year), u"2004");

    // Frames: found by ID (letter case ignored) and by index, the same object either way.
    StringArgument id(u"tpe1");
    ComPtr<_cID3V23Frame> byId;
    EXPECT_EQ(v23->GetFrameByID(id.ref(), reinterpret_cast<_cID3V23Frame**>(byId.put())),
              com::S_OK);
    ASSERT_TRUE(byId);
    EXPECT_EQ(id.variable, id.owned.get());
    EXPECT_EQ(id.owned.view(), u"tpe1");
    LONG index = 2;
    ComPtr<_cID3V23Frame> byIndex;
    EXPECT_EQ(v23->GetFrameByIndex(&index, reinterpret_cast<_cID3V23Frame**>(byIndex.put())),
              com::S_OK);
    EXPECT_EQ(byIndex.get(), byId.get());
    EXPECT_EQ(text(byId.get(), &_cID3V23Frame::get_ID), u"TPE1");
    EXPECT_EQ(text(byId.get(), &_cID3V23Frame::get_TextData), u"The Tessellates");
    com::SAFEARRAY* raw = nullptr;
    EXPECT_EQ(byId->get_RawData(&raw), com::S_OK);
    const auto bytes = com::byteArrayView(raw);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), std::string(1, '\0') + "The Tessellates");
    com::SafeArrayDestroy(raw);
    for (LONG outside : {0, 8, -1}) {
        ComPtr<_cID3V23Frame> none;
        EXPECT_EQ(v23->GetFrameByIndex(&outside, reinterpret_cast<_cID3V23Frame**>(none.put())),
                  com::S_OK);
        EXPECT_FALSE(none) << outside;
    }
    StringArgument missing(u"TCOM");
    ComPtr<_cID3V23Frame> none;
    EXPECT_EQ(v23->GetFrameByID(missing.ref(), reinterpret_cast<_cID3V23Frame**>(none.put())),
              com::S_OK);
    EXPECT_FALSE(none);
    StringArgument textId(u"TIT2");
    Bstr joined;
    EXPECT_EQ(v23->GetText(textId.ref(), joined.put()), com::S_OK);
    EXPECT_EQ(joined.view(), u"Second Skin");
}

TEST_F(OrvaneMP3Test, IDispatchByNameAndTheVirtualTableSeeOneObject) {
    const std::string path = write("song.mp3", craftedFile());
    const auto file = createFile();
    ASSERT_TRUE(file);
    ComPtr<com::IDispatch> dispatch;
    ASSERT_EQ(file->QueryInterface(com::IID_IDispatch, dispatch.put()), com::S_OK);

    // ReadFile by name (letter case ignored), its file name passed by reference as a script
    // passes it; the virtual table then sees what it read.
    const Bstr name = Bstr::attach(com::bstrFromUtf8(path));
    com::BSTR argument = name.get();
    com::VARIANT byRef;
    byRef.vt = com::VT_BSTR | com::VT_BYREF;
    byRef.pbstrVal = &argument;
    const Invoked read = invoke(dispatch.get(), u"readfile", com::DISPATCH_METHOD, {byRef});
    ASSERT_EQ(read.hr, com::S_OK);
    ASSERT_EQ(read.result->vt, com::VT_BOOL);
    EXPECT_EQ(read.result->boolVal, com::VARIANT_TRUE);
    EXPECT_EQ(argument, name.get());  // left as it was
    EXPECT_EQ(com::utf8FromBstr(argument), path);
    EXPECT_EQ(text(file.get(), &orvane::_cMP3File::get_FileName),
              std::u16string(path.begin(), path.end()));

    // Properties by name, down the object tree.
    const Invoked hasTag = get(dispatch.get(), u"HasID3Tag");
    ASSERT_EQ(hasTag.result->vt, com::VT_BOOL);
    EXPECT_EQ(hasTag.result->boolVal, com::VARIANT_TRUE);
    const auto tags = getObject(dispatch.get(), u"ID3Tags");
    ASSERT_TRUE(tags);
    EXPECT_EQ(textOf(get(tags.get(), u"Title")), u"Second Skin");
    EXPECT_EQ(textOf(get(tags.get(), u"Comments")), u"v1 comment");
    // The object from IDispatch is the one the virtual table hands out.
    ComPtr<orvane::_cID3Tags> sameTags;
    ASSERT_EQ(file->get_ID3Tags(reinterpret_cast<orvane::_cID3Tags**>(sameTags.put())), com::S_OK);
    EXPECT_EQ(static_cast<void*>(sameTags.get()), static_cast<void*>(tags.get()));

    const auto mpeg = getObject(dispatch.get(), u"MPEGHeader");
    ASSERT_TRUE(mpeg);
    const Invoked bitrate = get(mpeg.get(), u"Bitrate");
    ASSERT_EQ(bitrate.result->vt, com::VT_I4);
    EXPECT_EQ(bitrate.result->lVal, 128);

    // A function with a Long argument by value, and one with a by-reference string.
    const auto v1 = getObject(tags.get(), u"ID3V1Tag");
    ASSERT_TRUE(v1);
    com::VARIANT genreCode;
    com::setLong(genreCode, 255);
    EXPECT_EQ(textOf(invoke(v1.get(), u"GenreString", com::DISPATCH_METHOD, {genreCode})),
              u"Unknown");
    const auto v23 = getObject(getObject(tags.get(), u"ID3V2Tag").get(), u"ID3V23Tag");
    ASSERT_TRUE(v23);
    const Bstr frameId(u"TALB");
    com::BSTR idArgument = frameId.get();
    com::VARIANT idRef;
    idRef.vt = com::VT_BSTR | com::VT_BYREF;
    idRef.pbstrVal = &idArgument;
    Invoked frame = invoke(v23.get(), u"GetFrameByID", com::DISPATCH_METHOD, {idRef});
    ASSERT_EQ(frame.hr, com::S_OK);
    ASSERT_EQ(frame.result->vt, com::VT_DISPATCH);
    const Invoked raw = get(frame.result->pdispVal, u"RawData");
    ASSERT_EQ(raw.hr, com::S_OK);
    ASSERT_EQ(raw.result->vt, com::VT_ARRAY | com::VT_UI1);
    const auto bytes = com::byteArrayView(raw.result->parray);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), std::string(1, '\0') + "Folding Light");

    // Reset by name: the virtual table sees the facade emptied.
    EXPECT_EQ(invoke(dispatch.get(), u"Reset", com::DISPATCH_METHOD).hr, com::S_OK);
    EXPECT_EQ(flag(file.get(), &orvane::_cMP3File::get_HasID3Tag), com::VARIANT_FALSE);
    EXPECT_EQ(text(file.get(), &orvane::_cMP3File::get_FileName), u"");

    // Names the library does not have, and a property that is not a method.
    EXPECT_EQ(get(dispatch.get(), u"Title").hr, com::DISP_E_UNKNOWNNAME);
    EXPECT_EQ(invoke(dispatch.get(), u"FileName", com::DISPATCH_METHOD).hr,
              com::DISP_E_MEMBERNOTFOUND);
}

// The facade's rules -----------------------------------------------------------------------------

TEST_F(OrvaneMP3Test, ReadFileAnswersWhetherTheFileCouldBeRead) {
    const struct {
        const char* what;
        std::string path;
        VARIANT_BOOL read;
    } cases[] = {
        {"empty file", write("empty.mp3", ""), com::VARIANT_TRUE},
        {"no tags, no audio", write("text.mp3", std::string(3000, 'x')), com::VARIANT_TRUE},
        {"missing file", files.file("missing.mp3"), com::VARIANT_FALSE},
        {"folder", files.mkdir("folder.mp3"), com::VARIANT_FALSE},
        {"empty path", "", com::VARIANT_FALSE},
    };
    const auto file = createFile();
    ASSERT_TRUE(file);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // A file with everything first, so that nothing of it may show through.
        ASSERT_EQ(readFile(file.get(), write("full.mp3", craftedFile())), com::VARIANT_TRUE);
        EXPECT_EQ(readFile(file.get(), c.path), c.read);
        EXPECT_EQ(text(file.get(), &orvane::_cMP3File::get_FileName),
                  std::u16string(c.path.begin(), c.path.end()));
        EXPECT_EQ(flag(file.get(), &orvane::_cMP3File::get_HasID3Tag), com::VARIANT_FALSE);
        EXPECT_EQ(flag(file.get(), &orvane::_cMP3File::get_HasMPEG), com::VARIANT_FALSE);
        EXPECT_FALSE(child(file.get(), &orvane::_cMP3File::get_ID3Tags));
        EXPECT_FALSE(child(file.get(), &orvane::_cMP3File::get_MPEGHeader));
    }
}

TEST_F(OrvaneMP3Test, NonAsciiFileNamesReachTheFileThroughUtf8) {
    write("caf\xC3\xA9 \xF0\x9F\x8E\xB5.mp3", craftedFile());
    const auto file = createFile();
    ASSERT_TRUE(file);
    const std::u16string folder(files.path().begin(), files.path().end());

    EXPECT_EQ(readFile(file.get(), files.file("caf\xC3\xA9 \xF0\x9F\x8E\xB5.mp3")),
              com::VARIANT_TRUE);
    EXPECT_EQ(text(file.get(), &orvane::_cMP3File::get_FileName),
              folder + u"/caf\u00E9 \U0001F3B5.mp3");
    EXPECT_EQ(flag(file.get(), &orvane::_cMP3File::get_HasID3Tag), com::VARIANT_TRUE);
    EXPECT_EQ(readFile(file.get(), files.file("cafe \xF0\x9F\x8E\xB5.mp3")), com::VARIANT_FALSE);
}

TEST_F(OrvaneMP3Test, ObjectsAClientKeepsOutliveResetTheNextFileAndTheFacade) {
    using namespace orvane;
    auto file = createFile();
    ASSERT_TRUE(file);
    ASSERT_EQ(readFile(file.get(), write("first.mp3", craftedFile())), com::VARIANT_TRUE);
    auto tags = child(file.get(), &_cMP3File::get_ID3Tags);
    const auto mpeg = child(file.get(), &_cMP3File::get_MPEGHeader);
    ASSERT_TRUE(tags);
    ASSERT_TRUE(mpeg);

    EXPECT_EQ(file->Reset(), com::S_OK);
    EXPECT_FALSE(child(file.get(), &_cMP3File::get_ID3Tags));
    const std::string second =
        write("second.mp3", tag23(text23("TIT2", "Other")) + id3v1("", "", "", "", "", 0, 0));
    ASSERT_EQ(readFile(file.get(), second), com::VARIANT_TRUE);
    const auto secondTags = child(file.get(), &_cMP3File::get_ID3Tags);
    ASSERT_TRUE(secondTags);
    EXPECT_NE(secondTags.get(), tags.get());
    EXPECT_EQ(text(secondTags.get(), &_cID3Tags::get_Title), u"Other");
    EXPECT_EQ(text(secondTags.get(), &_cID3Tags::get_Artist), u"");
    EXPECT_EQ(flag(file.get(), &_cMP3File::get_HasMPEG), com::VARIANT_FALSE);

    // The facade goes; the first file's objects stay as they were.
    file.reset();
    EXPECT_EQ(text(tags.get(), &_cID3Tags::get_Title), u"Second Skin");
    EXPECT_EQ(text(tags.get(), &_cID3Tags::get_Comments), u"v1 comment");
    EXPECT_EQ(number(mpeg.get(), &_cMPEGHeader::get_Bitrate), 128);
    // A frame outlives every object it was reached through.
    ComPtr<_cID3V23Frame> frame;
    {
        const auto v2 = child(tags.get(), &_cID3Tags::get_ID3V2Tag);
        ASSERT_TRUE(v2);
        const auto v23 = child(v2.get(), &_cID3V2Tag::get_ID3V23Tag);
        ASSERT_TRUE(v23);
        LONG index = 1;
        ASSERT_EQ(v23->GetFrameByIndex(&index, reinterpret_cast<_cID3V23Frame**>(frame.put())),
                  com::S_OK);
    }
    tags.reset();
    ASSERT_TRUE(frame);
    EXPECT_EQ(text(frame.get(), &_cID3V23Frame::get_TextData), u"Second Skin");
}

// The combined texts of cID3Tags over tags of each kind.
TEST_F(OrvaneMP3Test, CombinedTextsPreferID3v2AndFallBackToID3v1) {
    struct Texts {
        std::u16string title, artist, album, year, comments, track, genre;
    };
    const struct {
        const char* what;
        std::string bytes;
        Texts expected;
    } cases[] = {
        {"empty ID3v2 title, ID3v1 title",
         tag23(text23("TIT2", "") + text23("TPE1", "Two")) +
             id3v1("One", "v1", "Album", "1987", "note", 4, 8),
         {u"One", u"Two", u"Album", u"1987", u"note", u"4", u"Jazz"}},
        {"ID3v1.0 only, genre out of the table",
         id3v1("Title", "Artist", "Album", "2001", "a comment of thirty characters", 0, 255),
         {u"Title", u"Artist", u"Album", u"2001", u"a comment of thirty characters", u"0",
          u"Unknown"}},
        {"ID3v2.4 has no year: ID3v1's",
         tag24(text24("TIT2", "Four") + text24("TRCK", "9") + text24("TCON", "(13)")) + audio() +
             id3v1("v1", "v1 artist", "", "1975", "", 2, 0),
         {u"Four", u"v1 artist", u"", u"1975", u"", u"9", u"(13)"}},
        {"ID3v2 only: no comments, no fallback",
         tag23(text23("TALB", "Only Album") + text23("TYER", "2010")) + audio(),
         {u"", u"", u"Only Album", u"2010", u"", u"", u""}},
    };
    const auto file = createFile();
    ASSERT_TRUE(file);
    int count = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = write("case" + std::to_string(++count) + ".mp3", c.bytes);
        ASSERT_EQ(readFile(file.get(), path), com::VARIANT_TRUE);
        const auto tags = child(file.get(), &orvane::_cMP3File::get_ID3Tags);
        ASSERT_TRUE(tags);
        using orvane::_cID3Tags;
        const Texts got{
            text(tags.get(), &_cID3Tags::get_Title),    text(tags.get(), &_cID3Tags::get_Artist),
            text(tags.get(), &_cID3Tags::get_Album),    text(tags.get(), &_cID3Tags::get_Year),
            text(tags.get(), &_cID3Tags::get_Comments), text(tags.get(), &_cID3Tags::get_Track),
            text(tags.get(), &_cID3Tags::get_Genre)};
        EXPECT_EQ(got.title, c.expected.title);
        EXPECT_EQ(got.artist, c.expected.artist);
        EXPECT_EQ(got.album, c.expected.album);
        EXPECT_EQ(got.year, c.expected.year);
        EXPECT_EQ(got.comments, c.expected.comments);
        EXPECT_EQ(got.track, c.expected.track);
        EXPECT_EQ(got.genre, c.expected.genre);
    }
}

// Bytes inside the ID3v2 tags at the start of the file are not audio, however many tags stand
// there in a row; a tag further in does not move the start of the search.
TEST_F(OrvaneMP3Test, TheAudioSearchStartsBehindTheID3v2TagsAtTheStart) {
    const std::string tag = tag23(text23("TIT2", "x") + decoyFrame());
    const std::string decoys = decoyFrame();
    const std::string v4WithFooter = "ID3" + std::string{4, 0, 0x10} +
                                     synchsafe(static_cast<std::uint32_t>(decoys.size())) + decoys +
                                     "3DI" + std::string{4, 0, 0x10} +
                                     synchsafe(static_cast<std::uint32_t>(decoys.size()));
    const struct {
        const char* what;
        std::string bytes;
        LONG bitrate;
    } cases[] = {
        {"tag at the start", tag + audio(), 128},
        {"two tags in a row", tag + tag + audio(), 128},
        {"three tags, one of ID3v2.4 with a footer", tag + v4WithFooter + tag + audio(), 128},
        {"tag after four other bytes", "JUNK" + tag + audio(), 320},
        {"no audio behind the tag", tag + std::string(600, '\0'), 0},
    };
    const auto file = createFile();
    ASSERT_TRUE(file);
    int count = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = write("search" + std::to_string(++count) + ".mp3", c.bytes);
        ASSERT_EQ(readFile(file.get(), path), com::VARIANT_TRUE);
        EXPECT_EQ(flag(file.get(), &orvane::_cMP3File::get_HasID3Tag), com::VARIANT_TRUE);
        const auto mpeg = child(file.get(), &orvane::_cMP3File::get_MPEGHeader);
        if (c.bitrate == 0) {
            EXPECT_FALSE(mpeg);
            continue;
        }
        ASSERT_TRUE(mpeg);
        EXPECT_EQ(number(mpeg.get(), &orvane::_cMPEGHeader::get_Bitrate), c.bitrate);
    }
}

// Files of 2 GiB and more: the file length and the audio bytes pass 32 bits on the whole way
// from the file name to the properties. The files are sparse and take no room on disk.
TEST_F(OrvaneMP3Test, FilesOf2GiBAndMoreHaveTheirMPEGHeader) {
    const struct {
        std::int64_t size;
        LONG duration;  // the bytes from the first frame on, at 128 kbit/s
    } cases[] = {
        {(std::int64_t{1} << 31) + 4096, 134'217},
        {(std::int64_t{1} << 32) + 4096, 268'435},
    };
    const auto file = createFile();
    ASSERT_TRUE(file);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        const std::string path = write("big.mp3", tag23(text23("TIT2", "Big")) + audio());
        std::error_code error;
        std::filesystem::resize_file(path, static_cast<std::uintmax_t>(c.size), error);
        ASSERT_FALSE(error) << error.message();
        ASSERT_EQ(readFile(file.get(), path), com::VARIANT_TRUE);
        const auto tags = child(file.get(), &orvane::_cMP3File::get_ID3Tags);
        ASSERT_TRUE(tags);
        EXPECT_EQ(text(tags.get(), &orvane::_cID3Tags::get_Title), u"Big");
        const auto mpeg = child(file.get(), &orvane::_cMP3File::get_MPEGHeader);
        ASSERT_TRUE(mpeg);
        EXPECT_EQ(number(mpeg.get(), &orvane::_cMPEGHeader::get_Bitrate), 128);
        EXPECT_EQ(number(mpeg.get(), &orvane::_cMPEGHeader::get_Duration), c.duration);
    }
}

// The other two version tags and their frames, through the virtual table.
TEST_F(OrvaneMP3Test, ID3v22AndID3v24TagsComeWithTheirOwnObjects) {
    using namespace orvane;
    const std::string v22Frame =
        std::string("TT2") + std::string{0, 0, 6} + std::string(1, '\0') + "Short";
    const std::string v22 = "ID3" + std::string{2, 0, 0} +
                            synchsafe(static_cast<std::uint32_t>(v22Frame.size())) + v22Frame;
    const std::string v24 = tag24(text24("TIT2", "Long") + text24("TDRC", "2020"));
    const auto file = createFile();
    ASSERT_TRUE(file);

    ASSERT_EQ(readFile(file.get(), write("v22.mp3", v22 + audio())), com::VARIANT_TRUE);
    {
        const auto tags = child(file.get(), &_cMP3File::get_ID3Tags);
        ASSERT_TRUE(tags);
        const auto v2 = child(tags.get(), &_cID3Tags::get_ID3V2Tag);
        ASSERT_TRUE(v2);
        EXPECT_EQ(number(v2.get(), &_cID3V2Tag::get_Version), 2);
        EXPECT_FALSE(child(v2.get(), &_cID3V2Tag::get_ID3V23Tag));
        const auto tag = child(v2.get(), &_cID3V2Tag::get_ID3V22Tag);
        ASSERT_TRUE(tag);
        EXPECT_EQ(text(tag.get(), &_cID3V22Tag::get_Title), u"Short");
        LONG index = 1;
        ComPtr<_cID3V22Frame> frame;
        ASSERT_EQ(tag->GetFrameByIndex(&index, reinterpret_cast<_cID3V22Frame**>(frame.put())),
                  com::S_OK);
        ASSERT_TRUE(frame);
        EXPECT_EQ(text(frame.get(), &_cID3V22Frame::get_ID), u"TT2");
    }

    ASSERT_EQ(readFile(file.get(), write("v24.mp3", v24 + audio())), com::VARIANT_TRUE);
    const auto tags = child(file.get(), &_cMP3File::get_ID3Tags);
    ASSERT_TRUE(tags);
    const auto v2 = child(tags.get(), &_cID3Tags::get_ID3V2Tag);
    ASSERT_TRUE(v2);
    EXPECT_EQ(number(v2.get(), &_cID3V2Tag::get_Version), 4);
    EXPECT_EQ(text(v2.get(), &_cID3V2Tag::get_Year), u"");
    const auto tag = child(v2.get(), &_cID3V2Tag::get_ID3V24Tag);
    ASSERT_TRUE(tag);
    EXPECT_EQ(text(tag.get(), &_cID3V24Tag::get_FrameList), u"TIT2;TDRC;");
    StringArgument id(u"TDRC");
    Bstr recorded;
    EXPECT_EQ(tag->GetText(id.ref(), recorded.put()), com::S_OK);
    EXPECT_EQ(recorded.view(), u"2020");
    ComPtr<_cID3V24Frame> frame;
    ASSERT_EQ(tag->GetFrameByID(id.ref(), reinterpret_cast<_cID3V24Frame**>(frame.put())),
              com::S_OK);
    ASSERT_TRUE(frame);
    EXPECT_EQ(text(frame.get(), &_cID3V24Frame::get_TextData), u"2020");
}

// Broken calls are refused with an HRESULT instead of crashing the caller.
TEST_F(OrvaneMP3Test, NullPointersAreRefused) {
    const auto file = createFile();
    ASSERT_TRUE(file);
    VARIANT_BOOL result = 7;
    EXPECT_EQ(file->ReadFile(nullptr, &result), com::E_POINTER);
    EXPECT_EQ(result, com::VARIANT_FALSE);
    Bstr name(u"/nowhere");
    com::BSTR argument = name.get();
    EXPECT_EQ(file->ReadFile(&argument, nullptr), com::E_POINTER);
    EXPECT_EQ(file->get_FileName(nullptr), com::E_POINTER);
    EXPECT_EQ(file->get_ID3Tags(nullptr), com::E_POINTER);

    ASSERT_EQ(readFile(file.get(), write("song.mp3", craftedFile())), com::VARIANT_TRUE);
    const auto tags = child(file.get(), &orvane::_cMP3File::get_ID3Tags);
    ASSERT_TRUE(tags);
    const auto v1 = child(tags.get(), &orvane::_cID3Tags::get_ID3V1Tag);
    ASSERT_TRUE(v1);
    com::Variant genre;
    EXPECT_EQ(v1->GenreString(nullptr, genre.get()), com::E_POINTER);
    EXPECT_EQ(genre->vt, com::VT_EMPTY);
}

}  // namespace

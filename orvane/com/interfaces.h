// The interfaces of the tag library OrvaneMP3, as a client calls them through the virtual table:
// the program includes this header, creates cMP3File by class identifier (com::createInstance)
// and walks the objects that its properties hand out. Free of Qt.
//
// Every interface is dual: its slots are those of IUnknown, then IDispatch, then the members
// below in declaration order, which must never change. Each member returns an HRESULT; a
// property's value or a function's result comes back in the final pointer parameter. Rules for
// what comes back:
//   - strings (BSTR) are allocated by the library and owned by the caller, who frees them with
//     com::SysFreeString (com::Bstr does it); a missing text is an empty string, possibly null;
//   - Booleans are automation Booleans: VARIANT_TRUE (-1) or VARIANT_FALSE (0);
//   - an object comes with one reference that the caller releases (com::ComPtr does it); it is
//     null when the part is absent. Every object but cMP3File stays as the library filled it,
//     so a client that keeps one keeps it unchanged whatever the object it came from does next;
//   - the arguments FileName, FrameID, Index and GenreCode are passed by reference, as the
//     automation clients of this library pass them; no member changes them.
// Readers never report an error through the HRESULT: a file or a part that cannot be read is
// simply absent. A failed HRESULT means a broken call (a null result pointer, E_POINTER) or
// memory running out (E_OUTOFMEMORY).
//
// Through IDispatch every member is reachable by name (letter case ignored) and by its dispatch
// identifier: the member's place among the interface's own members, counting from 1 (so
// _cMP3File's FileName is 1 and ReadFile 7). Properties are invoked with DISPATCH_PROPERTYGET,
// methods and functions with DISPATCH_METHOD.
#pragma once

#include "platform/com/automation.h"
#include "platform/com/com.h"
#include "platform/com/dispatch.h"

namespace orvane {

// Identifiers ----------------------------------------------------------------------------------

// The library's type library: "Orvane MP3 Library", version 1.0.
// {80BAAFBE-B5E5-4D17-8377-DD798E218AF8}
inline constexpr com::GUID LIBID_OrvaneMP3 = {
    0x80BAAFBE, 0xB5E5, 0x4D17, {0x83, 0x77, 0xDD, 0x79, 0x8E, 0x21, 0x8A, 0xF8}};

// The one creatable class. {6E10C0BC-6B07-460F-97BF-006765E982C4}
inline constexpr com::CLSID CLSID_cMP3File = {
    0x6E10C0BC, 0x6B07, 0x460F, {0x97, 0xBF, 0x00, 0x67, 0x65, 0xE9, 0x82, 0xC4}};
// {86B07158-B918-4CD2-904A-75B917DFF212}
inline constexpr com::IID IID__cMP3File = {
    0x86B07158, 0xB918, 0x4CD2, {0x90, 0x4A, 0x75, 0xB9, 0x17, 0xDF, 0xF2, 0x12}};

// The classes that a client receives only from properties of objects it already holds.
// {67EFE9D0-D91E-4BD1-918D-3C35B16D0842}
inline constexpr com::CLSID CLSID_cMPEGHeader = {
    0x67EFE9D0, 0xD91E, 0x4BD1, {0x91, 0x8D, 0x3C, 0x35, 0xB1, 0x6D, 0x08, 0x42}};
// {8C02C80B-B1D4-4D3B-ADE1-69EB5C292642}
inline constexpr com::IID IID__cMPEGHeader = {
    0x8C02C80B, 0xB1D4, 0x4D3B, {0xAD, 0xE1, 0x69, 0xEB, 0x5C, 0x29, 0x26, 0x42}};
// {0CBF0577-3190-4465-BBCD-FCEFCDF5F0F4}
inline constexpr com::CLSID CLSID_cID3V1Tag = {
    0x0CBF0577, 0x3190, 0x4465, {0xBB, 0xCD, 0xFC, 0xEF, 0xCD, 0xF5, 0xF0, 0xF4}};
// {F060096E-39EF-4447-A518-F60EB3E7ED30}
inline constexpr com::IID IID__cID3V1Tag = {
    0xF060096E, 0x39EF, 0x4447, {0xA5, 0x18, 0xF6, 0x0E, 0xB3, 0xE7, 0xED, 0x30}};
// {C5687B4E-C344-4A99-BD62-C58AD3855EFC}
inline constexpr com::CLSID CLSID_cID3V2Tag = {
    0xC5687B4E, 0xC344, 0x4A99, {0xBD, 0x62, 0xC5, 0x8A, 0xD3, 0x85, 0x5E, 0xFC}};
// {A7EE9F59-B276-4545-BBC3-CC2AB0E12C9E}
inline constexpr com::IID IID__cID3V2Tag = {
    0xA7EE9F59, 0xB276, 0x4545, {0xBB, 0xC3, 0xCC, 0x2A, 0xB0, 0xE1, 0x2C, 0x9E}};
// {1A6A8815-E7D1-4AD1-9275-03A11F899983}
inline constexpr com::CLSID CLSID_cID3V22Tag = {
    0x1A6A8815, 0xE7D1, 0x4AD1, {0x92, 0x75, 0x03, 0xA1, 0x1F, 0x89, 0x99, 0x83}};
// {619DBA30-DC40-487F-B6A4-D071B61ACDE7}
inline constexpr com::IID IID__cID3V22Tag = {
    0x619DBA30, 0xDC40, 0x487F, {0xB6, 0xA4, 0xD0, 0x71, 0xB6, 0x1A, 0xCD, 0xE7}};
// {034D97C7-C5DA-4875-B6E2-9841A4649A57}
inline constexpr com::CLSID CLSID_cID3V23Tag = {
    0x034D97C7, 0xC5DA, 0x4875, {0xB6, 0xE2, 0x98, 0x41, 0xA4, 0x64, 0x9A, 0x57}};
// {9623629B-9228-4ACA-930A-F35F42C6C7B9}
inline constexpr com::IID IID__cID3V23Tag = {
    0x9623629B, 0x9228, 0x4ACA, {0x93, 0x0A, 0xF3, 0x5F, 0x42, 0xC6, 0xC7, 0xB9}};
// {C7E5755D-864B-4FED-9067-95EFE19E0BAB}
inline constexpr com::CLSID CLSID_cID3V24Tag = {
    0xC7E5755D, 0x864B, 0x4FED, {0x90, 0x67, 0x95, 0xEF, 0xE1, 0x9E, 0x0B, 0xAB}};
// {2CF37C9B-E3F2-46C9-B153-CE50550165A8}
inline constexpr com::IID IID__cID3V24Tag = {
    0x2CF37C9B, 0xE3F2, 0x46C9, {0xB1, 0x53, 0xCE, 0x50, 0x55, 0x01, 0x65, 0xA8}};
// {AAF6CA3B-BFC9-4E15-969B-0CCF8AE00C66}
inline constexpr com::CLSID CLSID_cID3V24Frame = {
    0xAAF6CA3B, 0xBFC9, 0x4E15, {0x96, 0x9B, 0x0C, 0xCF, 0x8A, 0xE0, 0x0C, 0x66}};
// {2D36B95D-B59B-44AB-86A1-96A0AA0F36FD}
inline constexpr com::IID IID__cID3V24Frame = {
    0x2D36B95D, 0xB59B, 0x44AB, {0x86, 0xA1, 0x96, 0xA0, 0xAA, 0x0F, 0x36, 0xFD}};
// {45820537-A46A-4849-A03D-3CACF32A2C06}
inline constexpr com::CLSID CLSID_cID3V23Frame = {
    0x45820537, 0xA46A, 0x4849, {0xA0, 0x3D, 0x3C, 0xAC, 0xF3, 0x2A, 0x2C, 0x06}};
// {45D08133-C6E5-4B8F-9CF5-51796ED1A3E6}
inline constexpr com::IID IID__cID3V23Frame = {
    0x45D08133, 0xC6E5, 0x4B8F, {0x9C, 0xF5, 0x51, 0x79, 0x6E, 0xD1, 0xA3, 0xE6}};
// {0C0686E5-CD6F-4869-86B3-FE4A0726D0A9}
inline constexpr com::CLSID CLSID_cID3V22Frame = {
    0x0C0686E5, 0xCD6F, 0x4869, {0x86, 0xB3, 0xFE, 0x4A, 0x07, 0x26, 0xD0, 0xA9}};
// {0732B796-BB04-4D74-962B-C4E13622AB93}
inline constexpr com::IID IID__cID3V22Frame = {
    0x0732B796, 0xBB04, 0x4D74, {0x96, 0x2B, 0xC4, 0xE1, 0x36, 0x22, 0xAB, 0x93}};
// {D243507A-28DA-4407-9FC5-4BF6A0ED2445}
inline constexpr com::CLSID CLSID_cID3Tags = {
    0xD243507A, 0x28DA, 0x4407, {0x9F, 0xC5, 0x4B, 0xF6, 0xA0, 0xED, 0x24, 0x45}};
// {751F7F6F-8724-44EC-BFB9-95678FF30A96}
inline constexpr com::IID IID__cID3Tags = {
    0x751F7F6F, 0x8724, 0x44EC, {0xBF, 0xB9, 0x95, 0x67, 0x8F, 0xF3, 0x0A, 0x96}};

// Interfaces -----------------------------------------------------------------------------------
// Each is the default interface of the class of the same name without the underscore (inside a
// namespace such names are not reserved).

// One ID3v2.2 frame.
class _cID3V22Frame : public com::IDispatch {
public:
    virtual com::HRESULT get_ID(com::BSTR* result) = 0;             // the 3-character frame ID
    virtual com::HRESULT get_RawData(com::SAFEARRAY** result) = 0;  // payload bytes, from 0
    virtual com::HRESULT get_TextData(com::BSTR* result) = 0;       // "" unless a text frame

protected:
    ~_cID3V22Frame() = default;
};

// One ID3v2.3 frame: RawData is inflated when the frame was compressed.
class _cID3V23Frame : public com::IDispatch {
public:
    virtual com::HRESULT get_ID(com::BSTR* result) = 0;
    virtual com::HRESULT get_RawData(com::SAFEARRAY** result) = 0;
    virtual com::HRESULT get_TextData(com::BSTR* result) = 0;

protected:
    ~_cID3V23Frame() = default;
};

// One ID3v2.4 frame: RawData is resynchronised and inflated as the frame's flags ask.
class _cID3V24Frame : public com::IDispatch {
public:
    virtual com::HRESULT get_ID(com::BSTR* result) = 0;
    virtual com::HRESULT get_RawData(com::SAFEARRAY** result) = 0;
    virtual com::HRESULT get_TextData(com::BSTR* result) = 0;

protected:
    ~_cID3V24Frame() = default;
};

// An ID3v2.2 tag. Frames count from 1 in file order; frame IDs are compared with letter case
// ignored; GetText joins the texts of every matching frame with CR LF. Artist .. Year are the
// texts of TP1, TAL, TT2, TCO, TRK and TYE exactly as stored.
class _cID3V22Tag : public com::IDispatch {
public:
    virtual com::HRESULT get_FrameList(com::BSTR* result) = 0;  // "ID;ID;..." in file order
    virtual com::HRESULT get_FrameCount(com::LONG* result) = 0;
    virtual com::HRESULT GetFrameByID(com::BSTR* frameID, _cID3V22Frame** result) = 0;
    virtual com::HRESULT GetFrameByIndex(com::LONG* index, _cID3V22Frame** result) = 0;
    virtual com::HRESULT GetText(com::BSTR* frameID, com::BSTR* result) = 0;
    virtual com::HRESULT get_Artist(com::BSTR* result) = 0;
    virtual com::HRESULT get_Album(com::BSTR* result) = 0;
    virtual com::HRESULT get_Title(com::BSTR* result) = 0;
    virtual com::HRESULT get_Genre(com::BSTR* result) = 0;
    virtual com::HRESULT get_Track(com::BSTR* result) = 0;
    virtual com::HRESULT get_Year(com::BSTR* result) = 0;

protected:
    ~_cID3V22Tag() = default;
};

// An ID3v2.3 tag: as _cID3V22Tag, over TPE1, TALB, TIT2, TCON, TRCK and TYER.
class _cID3V23Tag : public com::IDispatch {
public:
    virtual com::HRESULT get_FrameList(com::BSTR* result) = 0;
    virtual com::HRESULT get_FrameCount(com::LONG* result) = 0;
    virtual com::HRESULT GetFrameByID(com::BSTR* frameID, _cID3V23Frame** result) = 0;
    virtual com::HRESULT GetFrameByIndex(com::LONG* index, _cID3V23Frame** result) = 0;
    virtual com::HRESULT GetText(com::BSTR* frameID, com::BSTR* result) = 0;
    virtual com::HRESULT get_Artist(com::BSTR* result) = 0;
    virtual com::HRESULT get_Album(com::BSTR* result) = 0;
    virtual com::HRESULT get_Title(com::BSTR* result) = 0;
    virtual com::HRESULT get_Genre(com::BSTR* result) = 0;
    virtual com::HRESULT get_Track(com::BSTR* result) = 0;
    virtual com::HRESULT get_Year(com::BSTR* result) = 0;

protected:
    ~_cID3V23Tag() = default;
};

// An ID3v2.4 tag: as _cID3V23Tag without Year.
class _cID3V24Tag : public com::IDispatch {
public:
    virtual com::HRESULT get_FrameList(com::BSTR* result) = 0;
    virtual com::HRESULT get_FrameCount(com::LONG* result) = 0;
    virtual com::HRESULT GetFrameByID(com::BSTR* frameID, _cID3V24Frame** result) = 0;
    virtual com::HRESULT GetFrameByIndex(com::LONG* index, _cID3V24Frame** result) = 0;
    virtual com::HRESULT GetText(com::BSTR* frameID, com::BSTR* result) = 0;
    virtual com::HRESULT get_Artist(com::BSTR* result) = 0;
    virtual com::HRESULT get_Album(com::BSTR* result) = 0;
    virtual com::HRESULT get_Title(com::BSTR* result) = 0;
    virtual com::HRESULT get_Genre(com::BSTR* result) = 0;
    virtual com::HRESULT get_Track(com::BSTR* result) = 0;

protected:
    ~_cID3V24Tag() = default;
};

// The ID3v1 tag in the last 128 bytes of the file.
class _cID3V1Tag : public com::IDispatch {
public:
    virtual com::HRESULT get_Title(com::BSTR* result) = 0;
    virtual com::HRESULT get_Artist(com::BSTR* result) = 0;
    virtual com::HRESULT get_Album(com::BSTR* result) = 0;
    virtual com::HRESULT get_Year(com::BSTR* result) = 0;
    virtual com::HRESULT get_Comments(com::BSTR* result) = 0;
    virtual com::HRESULT get_Track(com::LONG* result) = 0;  // 0 for an ID3v1.0 tag
    virtual com::HRESULT get_Genre(com::LONG* result) = 0;  // 0 .. 255
    // The genre name of any number (not only of this tag's genre) as a string variant;
    // "Unknown" outside the genre table.
    virtual com::HRESULT GenreString(com::LONG* genreCode, com::VARIANT* result) = 0;

protected:
    ~_cID3V1Tag() = default;
};

// The ID3v2 tag: its major version and exactly one version object; the texts forward to it.
class _cID3V2Tag : public com::IDispatch {
public:
    virtual com::HRESULT get_Version(com::LONG* result) = 0;  // 2, 3 or 4
    // Null unless the version matches.
    virtual com::HRESULT get_ID3V22Tag(_cID3V22Tag** result) = 0;
    virtual com::HRESULT get_ID3V23Tag(_cID3V23Tag** result) = 0;
    virtual com::HRESULT get_ID3V24Tag(_cID3V24Tag** result) = 0;
    virtual com::HRESULT get_Artist(com::BSTR* result) = 0;
    virtual com::HRESULT get_Album(com::BSTR* result) = 0;
    virtual com::HRESULT get_Title(com::BSTR* result) = 0;
    virtual com::HRESULT get_Genre(com::BSTR* result) = 0;
    virtual com::HRESULT get_Track(com::BSTR* result) = 0;
    virtual com::HRESULT get_Year(com::BSTR* result) = 0;  // "" for version 4

protected:
    ~_cID3V2Tag() = default;
};

// The first MPEG audio frame header of the file (with its Xing VBR header).
class _cMPEGHeader : public com::IDispatch {
public:
    virtual com::HRESULT get_Version(com::BSTR* result) = 0;    // "MPEG Version 1" ...
    virtual com::HRESULT get_Layer(com::BSTR* result) = 0;      // "Layer I" .. "Layer III"
    virtual com::HRESULT get_Mode(com::BSTR* result) = 0;       // "Stereo" ... "Single Channel"
    virtual com::HRESULT get_Bitrate(com::LONG* result) = 0;    // kbit/s; -1 when unknown
    virtual com::HRESULT get_Frequency(com::LONG* result) = 0;  // Hz
    virtual com::HRESULT get_Duration(com::LONG* result) = 0;   // seconds; -1 when unknown
    virtual com::HRESULT get_CRC(com::VARIANT_BOOL* result) = 0;
    virtual com::HRESULT get_Copyright(com::VARIANT_BOOL* result) = 0;
    virtual com::HRESULT get_Original(com::VARIANT_BOOL* result) = 0;
    virtual com::HRESULT get_VBR(com::VARIANT_BOOL* result) = 0;

protected:
    ~_cMPEGHeader() = default;
};

// The tags of one file. The texts prefer the ID3v2 tag and fall back to the ID3v1 tag when
// the ID3v2 text is empty or there is no ID3v2 tag; "" when neither gives one. Comments comes
// from the ID3v1 tag only; Track falls back to the ID3v1 track number in decimal ("0" for an
// ID3v1.0 tag) and Genre to the ID3v1 genre's name ("Unknown" outside the table).
class _cID3Tags : public com::IDispatch {
public:
    virtual com::HRESULT get_HasID3V1(com::VARIANT_BOOL* result) = 0;
    virtual com::HRESULT get_HasID3V2(com::VARIANT_BOOL* result) = 0;
    virtual com::HRESULT get_ID3V1Tag(_cID3V1Tag** result) = 0;  // null when absent
    virtual com::HRESULT get_ID3V2Tag(_cID3V2Tag** result) = 0;  // null when absent
    virtual com::HRESULT get_Title(com::BSTR* result) = 0;
    virtual com::HRESULT get_Artist(com::BSTR* result) = 0;
    virtual com::HRESULT get_Album(com::BSTR* result) = 0;
    virtual com::HRESULT get_Year(com::BSTR* result) = 0;
    virtual com::HRESULT get_Comments(com::BSTR* result) = 0;
    virtual com::HRESULT get_Track(com::BSTR* result) = 0;
    virtual com::HRESULT get_Genre(com::BSTR* result) = 0;

protected:
    ~_cID3Tags() = default;
};

// The facade, created once and reused for every file: ReadFile opens the file read-only,
// reads its ID3v1 tag, its ID3v2 tag and its first MPEG audio frame header, and closes it.
class _cMP3File : public com::IDispatch {
public:
    // The argument of the last ReadFile; "" after Reset.
    virtual com::HRESULT get_FileName(com::BSTR* result) = 0;
    // True when an ID3v1 tag, an ID3v2 tag or both were found.
    virtual com::HRESULT get_HasID3Tag(com::VARIANT_BOOL* result) = 0;
    // True when a valid MPEG audio frame header was found.
    virtual com::HRESULT get_HasMPEG(com::VARIANT_BOOL* result) = 0;
    // The same object on every call until the next ReadFile or Reset; null without tags.
    virtual com::HRESULT get_ID3Tags(_cID3Tags** result) = 0;
    virtual com::HRESULT get_MPEGHeader(_cMPEGHeader** result) = 0;  // null without a header
    // Drops what the last ReadFile found (objects a client still holds stay as they are).
    virtual com::HRESULT Reset() = 0;
    // Reads the file at the full path `fileName`. True when the file could be opened and read,
    // whether or not anything was found in it; false when it does not exist or cannot be
    // opened (a folder, for instance) or read.
    virtual com::HRESULT ReadFile(com::BSTR* fileName, com::VARIANT_BOOL* result) = 0;

protected:
    ~_cMP3File() = default;
};

}  // namespace orvane

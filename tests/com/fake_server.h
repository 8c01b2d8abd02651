// The interface and class of the tiny in-process server that the activation tests load.
#pragma once

#include "platform/com/com.h"

namespace fakeserver {

// {3F2A9C41-7D0B-4E58-9A16-C2B47E5D8F03}
inline constexpr com::CLSID CLSID_Answer = {
    0x3F2A9C41, 0x7D0B, 0x4E58, {0x9A, 0x16, 0xC2, 0xB4, 0x7E, 0x5D, 0x8F, 0x03}};

// {B81E6D27-05C3-4F9A-8E72-1D4A6B39C0E5}
inline constexpr com::IID IID_IAnswer = {
    0xB81E6D27, 0x05C3, 0x4F9A, {0x8E, 0x72, 0x1D, 0x4A, 0x6B, 0x39, 0xC0, 0xE5}};

// {5C0E8A17-93D4-4B2F-A6E1-7F28B40C9D36}: the type library that the server registers.
inline constexpr com::GUID LIBID_Answer = {
    0x5C0E8A17, 0x93D4, 0x4B2F, {0xA6, 0xE1, 0x7F, 0x28, 0xB4, 0x0C, 0x9D, 0x36}};

// The value IAnswer::Answer hands out.
inline constexpr int kAnswer = 42;

class IAnswer : public com::IUnknown {
public:
    virtual com::HRESULT Answer(int* out) = 0;

protected:
    ~IAnswer() = default;
};

// Exported by the server, found with dlsym:
//   extern "C" com::HRESULT DllGetClassObject(const com::CLSID&, const com::IID&, void**);
//   extern "C" int liveObjects();  // class factories and objects not yet released
//   extern "C" com::HRESULT DllRegisterServer();    // class "Answer", prog id "Fake.Answer",
//   extern "C" com::HRESULT DllUnregisterServer();  // interface "IAnswer", LIBID_Answer 1.0
using LiveObjectsFunction = int (*)();

}  // namespace fakeserver

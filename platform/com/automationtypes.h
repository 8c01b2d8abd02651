// The scalar types of automation and its string type, shared by the automation values
// (automation.h) and the IDispatch interface (idispatch.h). Free of Qt.
#pragma once

#include <cstdint>

namespace com {

using UINT = std::uint32_t;
using USHORT = std::uint16_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using SCODE = std::int32_t;
using LCID = DWORD;
using DISPID = LONG;
using VARTYPE = std::uint16_t;

using OLECHAR = char16_t;
// Points at the first character; the byte length (without the terminator) is stored in the
// four bytes before it, and two zero bytes follow the text. A null BSTR is the empty string.
// platform/com/automation.h makes, measures and frees them.
using BSTR = OLECHAR*;

}  // namespace com

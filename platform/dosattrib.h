// The DOS attribute bits and their encoding in the user.DOSATTRIB extended attribute, in the
// layout that Samba writes, so that shares and other tools read the same bits we do.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::fs {

// DOS attribute bits, with their Windows values, because stored settings and masks use them.
enum Attribute : std::uint32_t {
    ReadOnly = 1,
    Hidden = 2,
    System = 4,
    Directory = 16,
    Archive = 32,
};

// The hidden, system and archive bits (and a directory's read-only bit) have no home in POSIX
// permissions; they live in an extended attribute in the form that Samba writes.
inline constexpr const char* kDosAttributeName = "user.DOSATTRIB";

}  // namespace platform::fs

namespace platform::dosattrib {

// The value to store for `attributes` (only the DOS bits 0x37 and below are kept). When
// `previous` is the value stored so far, a creation time Samba recorded in it is kept, and so
// are the bits from 0x100 up (not content indexed and the like) that this program leaves alone.
std::string encode(std::uint32_t attributes, std::string_view previous = {});
// The attribute bits held in a stored value, or nothing when the value is not one we
// understand. Accepts every layout Samba has written, the bare hex text included.
std::optional<std::uint32_t> decode(std::string_view blob);

}  // namespace platform::dosattrib

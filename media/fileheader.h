// The start of a file as getMediaProperties hands it to its readers (images.h, riff.h,
// mpegstream.h): the first 32 bytes, fewer when the file is shorter, the rest zero. Each
// reader fills the record's fields; its result is getMediaProperties' result.
#pragma once

#include <array>
#include <cstdint>

namespace media::detail {

using Header = std::array<std::uint8_t, 32>;

}  // namespace media::detail

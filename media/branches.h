// The readers behind getMediaProperties, one per kind of file; only mediaproperties.cpp calls
// them. Each gets the file's first 32 bytes (fewer when the file is shorter; the rest zero)
// and fills the record's fields; its result is getMediaProperties' result.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "media/mediaproperties.h"

namespace media::detail {

using Header = std::array<std::uint8_t, 32>;

bool readAvi(const std::string& path, const Header& header, MediaProperties& record,
             const MediaContext& context);
bool readWave(const std::string& path, const Header& header, MediaProperties& record,
              const MediaContext& context);
bool readMpeg(const std::string& path, const Header& header, MediaProperties& record,
              const MediaContext& context);

}  // namespace media::detail

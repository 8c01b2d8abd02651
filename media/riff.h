// The RIFF readers behind getMediaProperties: AVI (frame size, frame rate, length, audio) and
// WAVE (format and length). Only mediaproperties.cpp calls them.
#pragma once

#include <string>

#include "media/fileheader.h"
#include "media/mediacontext.h"
#include "media/mediarecord.h"

namespace media::detail {

bool readAvi(const std::string& path, const Header& header, MediaProperties& record,
             const MediaContext& context);
bool readWave(const std::string& path, const Header& header, MediaProperties& record,
              const MediaContext& context);

}  // namespace media::detail

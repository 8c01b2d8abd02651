// The MPEG-1 system and video stream reader behind getMediaProperties (frame size, frame rate,
// length, the audio packet's format). Only mediaproperties.cpp calls it.
#pragma once

#include <string>

#include "media/fileheader.h"
#include "media/mediacontext.h"
#include "media/mediarecord.h"

namespace media::detail {

bool readMpeg(const std::string& path, const Header& header, MediaProperties& record,
              const MediaContext& context);

}  // namespace media::detail

// The picture readers behind getMediaProperties: BMP, JPEG, GIF, PNG, the FPBD format and PCX.
// Only mediaproperties.cpp calls them.
#pragma once

#include <string>

#include "media/fileheader.h"
#include "media/mediarecord.h"

namespace media::detail {

bool readBmp(const Header& header, MediaProperties& record);
bool readJpeg(const std::string& path, MediaProperties& record);
bool readGif(const Header& header, MediaProperties& record);
bool readPng(const Header& header, MediaProperties& record);
bool readFpbd(const std::string& path, const Header& header, MediaProperties& record);
bool readPcx(const std::string& path, const Header& header, MediaProperties& record);

}  // namespace media::detail

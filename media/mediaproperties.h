// The properties of picture, video and sound files that the naming pattern's media tokens show,
// read from the files' headers. Free of Qt like the tag library: it reads bytes, and its
// readers are tested and fuzzed without a display.
//
// Every value is text (UTF-8); a value the file does not give stays empty, and the pattern
// then counts its token as unavailable.
#pragma once

#include <string>

#include "media/mediacontext.h"
#include "media/mediafailure.h"
#include "media/mediarecord.h"

namespace media {

// Fills `record` with the properties of the file at `path` (a plain file; links and other
// entries are never opened). True on a cache hit (same path as the record holds) and when a
// recognised file was read to the end of its branch; false when the file is missing, cannot
// be opened, is of no recognised kind, or its branch did not find what it needs. The fields
// hold whatever was found in every case. Throws MediaFailure only from the MPEG branch's late
// stretch.
bool getMediaProperties(const std::string& path, MediaProperties& record,
                        const MediaContext& context);

}  // namespace media

// What a frame and a tag of every ID3v2 version keep once read, and the lookups every version
// offers over its frames. Each version's reader derives from these and adds its own header
// layout and flags; the published names stay those of the version's class.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "orvane/helpers.h"
#include "orvane/id3v2.h"

namespace orvane::id3v2 {

// A frame's ID, payload and the two marks a frame reader sets.
class FrameData {
public:
    // Published ------------------------------------------------------------------------------
    // The frame ID (3 characters in ID3v2.2, 4 later).
    std::u16string ID() const { return id_; }
    // A copy of the payload as the version's reader left it (resynchronised, inflated); for an
    // encrypted frame the stored payload.
    Bytes RawData() const { return payload_; }

    // Library-internal ---------------------------------------------------------------------
    // Set when the frame's first byte was 0: the rest of the tag is padding.
    bool IsPadding() const { return padding_; }
    // Set when the frame is encrypted; such a frame counts as read, with its stored payload.
    bool IsEncrypted() const { return encrypted_; }
    // The size of the payload as RawData gives it, without a copy.
    std::size_t PayloadSize() const { return payload_.size(); }

protected:
    std::u16string id_;
    Bytes payload_;
    bool padding_ = false;
    bool encrypted_ = false;
};

// A tag's frames in file order and the list of their IDs. `FrameT` has ID() and TextData().
template <class FrameT>
class FrameTable {
public:
    using Frame = std::shared_ptr<const FrameT>;

    // Published ------------------------------------------------------------------------------
    // Each frame's ID followed by ";", in file order (duplicates as often as they occur);
    // "" for a tag without frames.
    std::u16string FrameList() const { return frameList_; }
    std::int32_t FrameCount() const { return static_cast<std::int32_t>(frames_.size()); }
    // The first frame in file order whose ID equals `frameID`, letter case ignored; null when
    // there is none.
    Frame GetFrameByID(std::u16string_view frameID) const {
        for (const Frame& frame : frames_) {
            if (frameIdEquals(frame->ID(), frameID)) {
                return frame;
            }
        }
        return nullptr;
    }
    // The frame at `index`, counting from 1 in file order; null outside 1 to FrameCount().
    Frame GetFrameByIndex(std::int32_t index) const {
        if (index < 1 || static_cast<std::size_t>(index) > frames_.size()) {
            return nullptr;
        }
        return frames_[static_cast<std::size_t>(index - 1)];
    }
    // The TextData of every frame whose ID equals `frameID` (letter case ignored), in file order,
    // joined by CR LF. The separator follows the first match even when its text is empty, so
    // such a result begins with CR LF. "" when no frame matches.
    std::u16string GetText(std::u16string_view frameID) const {
        std::u16string result;
        std::u16string_view separator;
        for (const Frame& frame : frames_) {
            if (frameIdEquals(frame->ID(), frameID)) {
                result += separator;
                result += frame->TextData();
                separator = u"\r\n";
            }
        }
        return result;
    }

protected:
    void clearFrames() {
        frames_.clear();
        frameList_.clear();
    }
    void addFrame(Frame frame) {
        frameList_ += frame->ID();
        frameList_ += u';';
        frames_.push_back(std::move(frame));
    }

private:
    std::vector<Frame> frames_;
    std::u16string frameList_;
};

}  // namespace orvane::id3v2

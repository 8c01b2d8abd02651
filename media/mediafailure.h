// The one failure a media reader throws. Free of Qt.
#pragma once

#include <stdexcept>
#include <string>

namespace media {

// A failure that the MPEG branch does not absorb: the pattern's expansion ends with an error
// line naming `number` and what().
class MediaFailure : public std::runtime_error {
public:
    MediaFailure(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    int number() const { return number_; }

private:
    int number_;
};

}  // namespace media

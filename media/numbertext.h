// Numbers as the media readers write them: whole numbers in plain decimal digits with a minus
// sign when negative, values with a fraction with up to 15 significant digits and the user's
// decimal separator.
#pragma once

#include <cstdint>
#include <string>

namespace media {

std::string wholeText(std::int64_t value);
// Up to 15 significant digits, no trailing zeros, no exponent for the values the readers
// meet; a whole value is written without a separator.
std::string fractionText(double value, const std::string& decimalSeparator);

}  // namespace media

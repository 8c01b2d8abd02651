#include "media/numbertext.h"

#include <cmath>
#include <cstdio>

namespace media {

std::string wholeText(std::int64_t value) {
    return std::to_string(value);
}

std::string fractionText(double value, const std::string& decimalSeparator) {
    if (!std::isfinite(value)) {
        return std::string();
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    std::string text = buffer;
    // %g switches to an exponent for very large or small values; spell those out in full.
    if (text.find_first_of("eE") != std::string::npos) {
        std::snprintf(buffer, sizeof buffer, "%.15f", value);
        text = buffer;
        if (text.find('.') != std::string::npos) {
            while (!text.empty() && text.back() == '0') {
                text.pop_back();
            }
            if (!text.empty() && text.back() == '.') {
                text.pop_back();
            }
        }
    }
    const std::size_t point = text.find('.');
    if (point != std::string::npos) {
        text.replace(point, 1, decimalSeparator);
    }
    return text;
}

}  // namespace media

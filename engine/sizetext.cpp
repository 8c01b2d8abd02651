#include "engine/sizetext.h"

#include "platform/localetext.h"

namespace engine {

namespace {

constexpr std::uint64_t kKilo = 1024;
constexpr std::uint64_t kMega = 1024 * kKilo;
constexpr std::uint64_t kGiga = 1024 * kMega;

}  // namespace

QString sizeText(std::uint64_t bytes) {
    // The thresholds compare the exact byte count; only the shown quotient goes through
    // floating point, where 64-bit counts lose nothing that two decimals could show.
    const double value = static_cast<double>(bytes);
    if (bytes > kGiga) {
        return platform::numberText(platform::roundHalfEven(value / 1024 / 1024 / 1024, 2)) +
               QStringLiteral(" GB");
    }
    if (bytes > kMega) {
        return platform::numberText(platform::roundHalfEven(value / 1024 / 1024, 2)) +
               QStringLiteral(" MB");
    }
    if (bytes > kKilo) {
        return platform::numberText(platform::roundHalfEven(value / 1024)) + QStringLiteral(" kB");
    }
    return QString::number(bytes) + QStringLiteral(" bytes");
}

}  // namespace engine

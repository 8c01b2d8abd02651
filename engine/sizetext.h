// A byte count as the lists and the naming patterns show it: "1.5 MB", "12 kB", "0 bytes".
#pragma once

#include <QString>

#include <cstdint>

namespace engine {

// Strictly above 1 GiB in GB, above 1 MiB in MB (two decimals), above 1 KiB in whole kB,
// otherwise in bytes; halves to even, no trailing zeros, the user's decimal separator.
QString sizeText(std::uint64_t bytes);

}  // namespace engine

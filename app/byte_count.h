// Byte totals as the traffic page shows them: kilobytes up to two million
// bytes, megabytes with one decimal above, rounded to the nearest shown
// digit (halves up), with no thousands separator.
#pragma once

#include <cstdint>
#include <string>

namespace tvn {

// FormatByteCount(2500000, ',') == "2,5 Mo"; (1499, ',') == "1 Ko".
std::string FormatByteCount(uint32_t bytes, char decimalSeparator);

}  // namespace tvn

#include "app/byte_count.h"

namespace tvn {

namespace {
constexpr uint64_t kLargestKiloCount = 2000000;
}

std::string FormatByteCount(uint32_t bytes, char decimalSeparator) {
  const uint64_t n = bytes;
  if (n <= kLargestKiloCount) return std::to_string((n + 500) / 1000) + " Ko";
  const uint64_t tenths = (n + 50000) / 100000;
  return std::to_string(tenths / 10) + decimalSeparator + std::to_string(tenths % 10) + " Mo";
}

}  // namespace tvn

// PNG files of 24-bit pictures (what the screenshot tool writes). The data is
// stored uncompressed in the deflate stream: simple, and any viewer reads it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vcl {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // rows from the top, 3 bytes per pixel (R, G, B)
};

std::vector<uint8_t> EncodePng(const RgbImage& image);
bool WritePngFile(const std::string& path, const RgbImage& image);

// Checksums of the format, exposed for the tests.
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);
uint32_t Adler32(const uint8_t* data, size_t size);

}  // namespace vcl

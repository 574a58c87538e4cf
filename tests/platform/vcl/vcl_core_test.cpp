#include <gtest/gtest.h>

#include "edit_mask.h"
#include "png_writer.h"
#include "trend_values.h"

namespace vcl {
namespace {

TEST(TrendValues, KeepsTheLastTwentyClampedToTheScale) {
  TrendValues values;
  for (int v = 1; v <= 25; ++v) values.Add(v);
  EXPECT_EQ(values.At(0), 6);
  EXPECT_EQ(values.At(TrendValues::kCount - 1), 25);
  values.Add(250);
  values.Add(-3);
  EXPECT_EQ(values.At(TrendValues::kCount - 2), 100);
  EXPECT_EQ(values.At(TrendValues::kCount - 1), 0);
  values.Clear();
  for (int i = 0; i < TrendValues::kCount; ++i) EXPECT_EQ(values.At(i), 0);
}

TEST(EditMask, PortMaskTakesFiveDigitsWithBlanks) {
  const EditMask mask("99999;1; ");
  EXPECT_EQ(mask.Length(), 5);
  EXPECT_EQ(mask.BlankText(), "     ");
  EXPECT_TRUE(mask.Accepts(0, '8'));
  EXPECT_FALSE(mask.Accepts(0, 'a'));
  EXPECT_FALSE(mask.Accepts(5, '1'));
  EXPECT_EQ(mask.TextOf("80   "), "80   ");
  EXPECT_TRUE(mask.IsComplete("     "));  // 9 marks optional digits
}

TEST(EditMask, LiteralsAndRequiredPositions) {
  const EditMask mask("00/00;0;_");
  EXPECT_EQ(mask.BlankText(), "__/__");
  EXPECT_TRUE(mask.IsLiteral(2));
  EXPECT_TRUE(mask.Accepts(2, '/'));
  EXPECT_EQ(mask.TextOf("12/34"), "1234");  // literals not kept
  EXPECT_FALSE(mask.IsComplete("12/3_"));
  EXPECT_TRUE(mask.IsComplete("12/34"));
  const EditMask escaped("\\9LL;1;_");
  EXPECT_TRUE(escaped.IsLiteral(0));
  EXPECT_TRUE(escaped.Accepts(1, '\xE9'));  // é is a letter
}

uint32_t BigEndianAt(const std::vector<uint8_t>& b, size_t at) {
  return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | b[at + 3];
}

TEST(PngWriter, ChecksumsMatchKnownValues) {
  const uint8_t text[] = "123456789";
  EXPECT_EQ(Crc32(text, 9), 0xCBF43926u);
  EXPECT_EQ(Adler32(reinterpret_cast<const uint8_t*>("Wikipedia"), 9), 0x11E60398u);
}

TEST(PngWriter, ChunksAreWellFormedAndCarryTheRows) {
  RgbImage image{2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30}};
  const std::vector<uint8_t> png = EncodePng(image);
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png[1], 'P');
  // Walk the chunks: each one's CRC covers its type and data.
  std::vector<std::string> types;
  std::vector<uint8_t> idat;
  for (size_t at = 8; at < png.size();) {
    const uint32_t length = BigEndianAt(png, at);
    const std::string type(png.begin() + at + 4, png.begin() + at + 8);
    types.push_back(type);
    EXPECT_EQ(BigEndianAt(png, at + 8 + length), Crc32(png.data() + at + 4, length + 4)) << type;
    if (type == "IDAT") idat.assign(png.begin() + at + 8, png.begin() + at + 8 + length);
    at += 12 + length;
  }
  EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  // zlib header, one final stored block of 14 bytes (2 rows of 1 + 6), Adler-32.
  ASSERT_EQ(idat.size(), 2u + 5u + 14u + 4u);
  EXPECT_EQ(idat[2], 1);
  EXPECT_EQ(idat[3], 14);
  const std::vector<uint8_t> rows(idat.begin() + 7, idat.begin() + 21);
  EXPECT_EQ(rows, (std::vector<uint8_t>{0, 255, 0, 0, 0, 255, 0, 0, 0, 0, 255, 10, 20, 30}));
  EXPECT_EQ(BigEndianAt(idat, 21), Adler32(rows.data(), rows.size()));
}

}  // namespace
}  // namespace vcl

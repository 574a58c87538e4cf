#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/file_size.h"
#include "support/md5.h"

namespace tvn {
namespace {

std::string Md5Hex(const std::string& text, size_t piece) {
  Md5 md5;
  for (size_t at = 0; at < text.size(); at += piece) md5.Update(text.data() + at, std::min(piece, text.size() - at));
  return UpperHex(md5.Final());
}

TEST(Md5, Rfc1321TestSuiteInPiecesOfAnySize) {
  const struct {
    const char* text;
    const char* digest;
  } cases[] = {
      {"", "D41D8CD98F00B204E9800998ECF8427E"},
      {"a", "0CC175B9C0F1B6A831C399E269772661"},
      {"abc", "900150983CD24FB0D6963F7D28E17F72"},
      {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
      {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "D174AB98D277D9F5A5611C2C9F419D9F"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57EDF4A22BE3C955AC49DA2E2107B67A"},
  };
  for (const auto& c : cases)
    for (size_t piece : {1, 3, 64, 1000}) EXPECT_EQ(Md5Hex(c.text, piece), c.digest) << c.text << " / " << piece;
}

class FileSizeTest : public ::testing::Test {
 protected:
  FileSizeTest() {
    dir_ = std::filesystem::temp_directory_path() /
           ("tvn_size_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::create_directories(dir_);
  }
  ~FileSizeTest() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(FileSizeTest, FilesDirectoriesAndMissingNames) {
  const std::string file = (dir_ / "five.bin").string();
  std::ofstream(file, std::ios::binary) << "12345";
  EXPECT_EQ(FileSizeByName(file), 5);
  EXPECT_EQ(FileSizeByName(dir_.string()), 0);
  EXPECT_EQ(FileSizeByName((dir_ / "missing.exe").string()), -1);
  EXPECT_EQ(FileSizeByName(""), -1);
}

TEST_F(FileSizeTest, LargeFilesGiveTheirLow32BitsAsASignedNumber) {
  const std::filesystem::path file = dir_ / "seven_gib.bin";
  std::ofstream(file).close();
  std::error_code error;
  std::filesystem::resize_file(file, 7ull << 30, error);  // sparse: no disk used
  if (error) GTEST_SKIP() << "no sparse file here: " << error.message();
  EXPECT_EQ(FileSizeByName(file.string()), -(1 << 30));  // 7 GiB: low 32 bits are 3 GiB
}

}  // namespace
}  // namespace tvn

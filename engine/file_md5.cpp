#include "engine/file_md5.h"

#include <vector>

#include "support/md5.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

namespace tvn {

namespace {

constexpr size_t kBlockSize = 102400;

#ifdef _WIN32
class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const std::string& path)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~ReadOnlyFile() {
    if (IsOpen()) CloseHandle(handle_);
  }
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Bytes read; 0 at the end or on a read error.
  size_t Read(void* buffer, size_t size) {
    DWORD got = 0;
    return ReadFile(handle_, buffer, static_cast<DWORD>(size), &got, nullptr) ? got : 0;
  }

 private:
  HANDLE handle_;
};
#else
class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {}
  ~ReadOnlyFile() {
    if (file_) std::fclose(file_);
  }
  bool IsOpen() const { return file_ != nullptr; }
  size_t Read(void* buffer, size_t size) { return std::fread(buffer, 1, size, file_); }

 private:
  std::FILE* file_;
};
#endif

}  // namespace

std::string FileMd5Hex(const std::string& path) {
  ReadOnlyFile file(path);
  if (!file.IsOpen()) return "";
  std::vector<char> block(kBlockSize);
  Md5 md5;
  while (const size_t got = file.Read(block.data(), block.size())) md5.Update(block.data(), got);
  return UpperHex(md5.Final());
}

}  // namespace tvn

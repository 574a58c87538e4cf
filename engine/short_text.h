// A length-prefixed single-byte text of at most N characters, as the decision
// tables hold them: a longer text is cut to N when it is stored.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tvn {

template <std::size_t N>
class ShortText {
  static_assert(N > 0 && N <= 65535);

 public:
  static constexpr std::size_t kMaxLength = N;

  ShortText() = default;
  ShortText(std::string_view text) { Assign(text); }  // NOLINT: implicit by design, like a string

  ShortText& operator=(std::string_view text) {
    Assign(text);
    return *this;
  }

  void Assign(std::string_view text) {
    length_ = static_cast<uint16_t>(std::min(text.size(), N));
    std::copy_n(text.data(), length_, chars_);
  }
  std::string_view View() const { return {chars_, length_}; }
  std::string Str() const { return std::string(View()); }
  std::size_t Length() const { return length_; }
  bool Empty() const { return length_ == 0; }

  friend bool operator==(const ShortText& a, std::string_view b) { return a.View() == b; }

 private:
  uint16_t length_ = 0;
  char chars_[N] = {};
};

}  // namespace tvn

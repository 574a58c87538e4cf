#include "edit_mask.h"

#include <cctype>

namespace vcl {

namespace {

bool IsPatternChar(char c) { return std::string_view("90LlAaCc").find(c) != std::string_view::npos; }

bool IsRequired(char kind) { return kind == '0' || kind == 'L' || kind == 'A' || kind == 'C'; }

}  // namespace

EditMask::EditMask(std::string_view mask) {
  // The last two ";"-separated fields are the keep-literals flag and the blank.
  std::string_view pattern = mask;
  if (mask.size() >= 4 && mask[mask.size() - 2] == ';' && mask[mask.size() - 4] == ';') {
    pattern = mask.substr(0, mask.size() - 4);
    keep_literals_ = mask[mask.size() - 3] != '0';
    blank_ = mask.back();
  }
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '\\' && i + 1 < pattern.size()) {
      slots_.push_back({pattern[++i], true});
    } else {
      slots_.push_back({c, !IsPatternChar(c)});
    }
  }
}

std::string EditMask::BlankText() const {
  std::string text;
  for (const Slot& s : slots_) text += s.literal ? s.kind : blank_;
  return text;
}

bool EditMask::Accepts(int position, char c) const {
  if (position < 0 || position >= Length()) return false;
  const Slot& s = slots_[position];
  const auto u = static_cast<unsigned char>(c);
  if (s.literal) return c == s.kind;
  switch (s.kind) {
    case '9':
    case '0':
      return std::isdigit(u) != 0;
    case 'L':
    case 'l':
      return std::isalpha(u) != 0 || u >= 0xC0;
    case 'A':
    case 'a':
      return std::isalnum(u) != 0 || u >= 0xC0;
    default:
      return u >= 0x20;
  }
}

std::string EditMask::TextOf(std::string_view shown) const {
  std::string text;
  for (int i = 0; i < Length() && i < static_cast<int>(shown.size()); ++i)
    if (!slots_[i].literal || keep_literals_) text += shown[i];
  return text;
}

bool EditMask::IsComplete(std::string_view shown) const {
  for (int i = 0; i < Length(); ++i) {
    const bool empty = i >= static_cast<int>(shown.size()) || shown[i] == blank_;
    if (!slots_[i].literal && IsRequired(slots_[i].kind) && empty) return false;
  }
  return true;
}

}  // namespace vcl

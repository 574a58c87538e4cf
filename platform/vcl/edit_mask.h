// An edit mask such as "99999;1; ": the pattern, whether literal characters
// are kept in the text, and the character shown for an empty position.
// Pattern characters: 9 and 0 a digit (optional / required), L and l a letter,
// A and a a letter or digit, C and c any character; \ makes the next one a
// literal; any other character is a literal.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vcl {

class EditMask {
 public:
  explicit EditMask(std::string_view mask);

  // Number of positions of the edited text.
  int Length() const { return static_cast<int>(slots_.size()); }
  // The text shown when nothing has been typed.
  std::string BlankText() const;
  // Whether a typed character may stand at a position.
  bool Accepts(int position, char c) const;
  bool IsLiteral(int position) const { return slots_.at(position).literal; }
  // The text the program reads: literals dropped unless the mask keeps them.
  std::string TextOf(std::string_view shown) const;
  // Every required position filled.
  bool IsComplete(std::string_view shown) const;
  char Blank() const { return blank_; }

 private:
  struct Slot {
    char kind;  // the pattern character, or the literal itself
    bool literal;
  };
  std::vector<Slot> slots_;
  bool keep_literals_ = true;
  char blank_ = '_';
};

}  // namespace vcl

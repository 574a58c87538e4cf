// Errors of the rule and settings store. The store never catches them: they
// reach the caller's error handling with their French text, which the
// program's general error handler shows as it is.
//
//   try { ParseIpRule(name); } catch (const tvn::StoreError& e) { Show(e.what()); }
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace tvn {

class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "'abc' n'est pas une valeur enti\xE8re correcte"
[[noreturn]] void ThrowNotAnInteger(std::string_view text);
// "Indice de liste hors limites (6)"
[[noreturn]] void ThrowListIndexOutOfBounds(int index);
// "Type de donn\xE9es incorrect pour 'Level'"
[[noreturn]] void ThrowWrongDataType(std::string_view valueName);
// "Echec \xE0 la d\xE9finition des donn\xE9es pour 'Level'"
[[noreturn]] void ThrowCannotSetData(std::string_view valueName);

}  // namespace tvn

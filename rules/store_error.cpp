#include "rules/store_error.h"

namespace tvn {

namespace {

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

}  // namespace

void ThrowNotAnInteger(std::string_view text) {
  throw StoreError(Quoted(text) + " n'est pas une valeur enti\xE8re correcte");
}

void ThrowListIndexOutOfBounds(int index) {
  throw StoreError("Indice de liste hors limites (" + std::to_string(index) + ")");
}

void ThrowWrongDataType(std::string_view valueName) {
  throw StoreError(
      "Type de donn\xE9"
      "es incorrect pour " +
      Quoted(valueName));
}

void ThrowCannotSetData(std::string_view valueName) {
  throw StoreError(
      "Echec \xE0 la d\xE9"
      "finition des donn\xE9"
      "es pour " +
      Quoted(valueName));
}

}  // namespace tvn

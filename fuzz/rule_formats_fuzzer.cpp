// The store's format functions on arbitrary names and lines: they must never
// crash, and the only failures allowed are the store's own errors.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "rules/rule_formats.h"
#include "rules/store_error.h"

namespace {

template <typename Call>
void AllowingStoreErrors(Call&& call) {
  try {
    call();
  } catch (const tvn::StoreError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const int n = size ? data[0] % 8 : 0;

  const std::string normalized = tvn::NormalizeIpAddress(text);
  // Normalising twice changes nothing more.
  if (tvn::NormalizeIpAddress(normalized) != normalized) __builtin_trap();

  const std::string ipName = tvn::BuildIpRuleName(text, text, static_cast<int>(size), n, n & 1);
  tvn::BuildAppRuleName(text, n & 1);
  tvn::ExtractField(text, n);
  tvn::IsNumeric(text);
  AllowingStoreErrors([&] { tvn::ParseIpRule(text); });
  AllowingStoreErrors([&] { tvn::ParseAppRule(text); });
  AllowingStoreErrors([&] { tvn::ToInteger(text); });
  AllowingStoreErrors([&] {
    int code = 0;
    tvn::ParseJournalEntry(text, code);
  });
  // What the store builds from a plain path always parses back.
  if (text.find('|') == text.npos) {
    const auto rule = tvn::ParseAppRule(tvn::BuildAppRuleName(text, true));
    if (rule.path != text || rule.permission != 1) __builtin_trap();
  }
  (void)ipName;
  return 0;
}

#include "rules/rule_formats.h"

#include <cstdio>
#include <vector>

#include "rules/store_error.h"

namespace tvn {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view SkipLeadingBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view TrimBlanks(std::string_view text) {
  text = SkipLeadingBlanks(text);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Fields between separators, blanks at the start of each skipped and empty
// fields dropped (how the stored names have always been split).
std::vector<std::string_view> SplitFields(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view field = SkipLeadingBlanks(text.substr(start, end - start));
    if (!field.empty()) fields.push_back(field);
    start = end + 1;
  }
  return fields;
}

void ReplaceBlanksByZeros(std::string& text) {
  for (char& c : text)
    if (c == ' ') c = '0';
}

std::string RightAligned(std::string_view text, size_t width) {
  std::string out(text.size() < width ? width - text.size() : 0, ' ');
  out += text;
  return out;
}

std::string_view FieldAt(const std::vector<std::string_view>& fields, int index) {
  if (index >= static_cast<int>(fields.size())) ThrowListIndexOutOfBounds(index);
  return fields[index];
}

bool ConsumeDigits(std::string_view& text) {
  size_t n = 0;
  while (n < text.size() && text[n] >= '0' && text[n] <= '9') ++n;
  text.remove_prefix(n);
  return n > 0;
}

void ConsumeSign(std::string_view& text) {
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
}

}  // namespace

std::string NormalizeIpAddress(std::string_view address) {
  std::string out;
  for (std::string_view group : SplitFields(address, '.')) {
    std::string padded = RightAligned(TrimBlanks(group), 3);
    ReplaceBlanksByZeros(padded);
    if (!out.empty()) out += '.';
    out += padded;
  }
  return out;
}

std::string BuildIpRuleName(std::string_view firstAddress, std::string_view lastAddress, int firstPort, int lastPort,
                            bool allow) {
  char ports[32];
  std::snprintf(ports, sizeof ports, "%5d|%5d", firstPort, lastPort);
  std::string portText = std::string(ports).substr(0, 11);
  ReplaceBlanksByZeros(portText);
  return NormalizeIpAddress(firstAddress) + "|" + NormalizeIpAddress(lastAddress) + "|" + portText + "|0|" +
         (allow ? "1" : "0");
}

std::string BuildAppRuleName(std::string_view path, bool allow) { return std::string(path) + (allow ? "|1" : "|0"); }

std::string BuildJournalEntry(std::string_view dateTime, std::string_view program, int action) {
  return std::string(dateTime) + "|" + std::string(program) + "|" + std::to_string(action) + ";";
}

IpRule ParseIpRule(std::string_view name) {
  const auto fields = SplitFields(name, '|');
  IpRule rule;
  rule.firstAddress = FieldAt(fields, 0);
  rule.lastAddress = FieldAt(fields, 1);
  rule.firstPort = ToInteger(FieldAt(fields, 2));
  rule.lastPort = ToInteger(FieldAt(fields, 3));
  rule.permission = ToInteger(FieldAt(fields, 5));
  return rule;
}

AppRule ParseAppRule(std::string_view name) {
  const size_t bar = name.find('|');
  if (bar == std::string_view::npos) return {"", ToInteger(name)};
  return {std::string(name.substr(0, bar)), ToInteger(name.substr(bar + 1))};
}

std::string ExtractField(std::string_view text, int n) {
  int ended = 0;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '|' && text[i] != ';') continue;
    if (++ended == n) return std::string(text.substr(start, i - start));
    start = i + 1;
  }
  return "";
}

bool IsNumeric(std::string_view text) {
  text = TrimBlanks(text);
  ConsumeSign(text);
  bool digits = ConsumeDigits(text);
  if (!text.empty() && (text.front() == '.' || text.front() == ',')) {
    text.remove_prefix(1);
    digits = ConsumeDigits(text) || digits;
  }
  if (!digits) return false;
  if (!text.empty() && (text.front() == 'e' || text.front() == 'E')) {
    text.remove_prefix(1);
    ConsumeSign(text);
    if (!ConsumeDigits(text)) return false;
  }
  return text.empty();
}

int ToInteger(std::string_view text) {
  std::string_view rest = SkipLeadingBlanks(text);
  const bool negative = !rest.empty() && rest.front() == '-';
  ConsumeSign(rest);
  if (rest.empty()) ThrowNotAnInteger(text);
  long long value = 0;
  for (char c : rest) {
    if (c < '0' || c > '9') ThrowNotAnInteger(text);
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) ThrowNotAnInteger(text);
  }
  if (negative) value = -value;
  if (value > 2147483647LL) ThrowNotAnInteger(text);
  return static_cast<int>(value);
}

JournalEntry ParseJournalEntry(std::string_view line, int& code) {
  JournalEntry entry{ExtractField(line, 1), ExtractField(line, 2)};
  const std::string action = ExtractField(line, 3);
  if (IsNumeric(action)) code = ToInteger(action);
  return entry;
}

}  // namespace tvn

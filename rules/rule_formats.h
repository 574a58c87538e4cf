// The record formats of the rule and settings store. Every record is a
// registry value whose name carries all of its data, fields joined by "|":
//
//   IP rule           192.168.001.010|192.168.001.010|00080|00080|0|1
//   application rule  c:\windows\system32\svchost.exe|1
//   journal line      11/12/2026 14:03:12|C:\Prog\App.exe|1;
//
// Pure functions, no registry access; they build in every tree. The parsers
// do not validate their input: a field that is not an integer raises
// StoreError "'x' n'est pas une valeur enti\xE8re correcte", an IP-rule name
// with fewer than six fields "Indice de liste hors limites (n)". Nothing else
// fails. Names and lines built here always parse.
#pragma once

#include <string>
#include <string_view>

namespace tvn {

// Each dotted group zero-filled to at least three digits (never cut):
// 192.168.1.10 -> 192.168.001.010, 1..2 -> 001.002. Normalised addresses
// compare character by character as numbers.
std::string NormalizeIpAddress(std::string_view address);

// first|last|ppppp|PPPPP|0|permission, addresses normalised, ports zero-filled
// to five digits; permission 1 allows, 0 blocks.
std::string BuildIpRuleName(std::string_view firstAddress, std::string_view lastAddress, int firstPort, int lastPort,
                            bool allow);

// path|1 or path|0; the path is kept as given (callers lower-case A-Z first).
std::string BuildAppRuleName(std::string_view path, bool allow);

// date and time|program|action; -- what the new-program prompt writes.
std::string BuildJournalEntry(std::string_view dateTime, std::string_view program, int action);

struct IpRule {
  std::string firstAddress;  // as stored (normalised)
  std::string lastAddress;
  int firstPort = 0;
  int lastPort = 0;
  int permission = 0;  // 1 allow, 0 block
};
IpRule ParseIpRule(std::string_view name);

struct AppRule {
  std::string path;    // the text before the first "|"
  int permission = 0;  // everything after it, as an integer
};
AppRule ParseAppRule(std::string_view name);

// Field n (from 1) of a text whose fields each end with "|" or ";". A last
// field that no separator ends is never returned; out of range gives "".
std::string ExtractField(std::string_view text, int n);

// True when the text reads as a decimal number, fractions and exponents
// included (blanks around it allowed; "." or "," as decimal separator).
bool IsNumeric(std::string_view text);

// The text as a signed 32-bit integer (leading blanks and a sign allowed),
// or StoreError "'x' n'est pas une valeur enti\xE8re correcte".
int ToInteger(std::string_view text);

struct JournalEntry {
  std::string dateTime;  // field 1
  std::string program;   // field 2
};
// The code becomes field 3 when that field is numeric; otherwise it keeps the
// value the caller passed in.
JournalEntry ParseJournalEntry(std::string_view line, int& code);

}  // namespace tvn

#include "engine/local_time.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <ctime>
#endif

namespace tvn {

#ifdef _WIN32

static std::string ShortDate() {
  char text[64] = {};
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, text, sizeof text);
  return text;
}

std::string LocalLongTime() {
  char text[64] = {};
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, text, sizeof text);
  return text;
}

#else

// The portable core's tests and tools run outside Windows: French formats.
static std::string Format(const char* pattern) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[64] = {};
  std::strftime(text, sizeof text, pattern, &local);
  return text;
}

static std::string ShortDate() { return Format("%d/%m/%Y"); }
std::string LocalLongTime() { return Format("%H:%M:%S"); }

#endif

std::string LocalShortDateLongTime() { return ShortDate() + " " + LocalLongTime(); }

}  // namespace tvn

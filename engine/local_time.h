// The current local date and time in the user's regional formats.
#pragma once

#include <string>

namespace tvn {

// Short date, a space, long time ("11/12/2026 14:03:27" in French).
std::string LocalShortDateLongTime();

// Long time alone ("14:03:27").
std::string LocalLongTime();

}  // namespace tvn

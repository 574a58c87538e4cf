// The vendor cloud server (trust query, file report): the one place its
// address is named. Tests and demos point it at a loopback server with
// SetCloudServerUrlForTests; the firewall itself never changes it.
//
//   std::string url = tvn::CloudServerUrl() + "/tvn_cloud/tvn_file_report.php?...";
#pragma once

#include <string>

namespace tvn {

// "http://cloud.zelbar.com", or what a test set; no trailing slash.
std::string CloudServerUrl();

// For tests and demos only, e.g. "http://127.0.0.1:50123"; "" restores the
// real server. Safe while other threads read the address.
void SetCloudServerUrlForTests(std::string baseUrl);

}  // namespace tvn

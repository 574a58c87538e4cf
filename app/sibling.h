// The maker's antivirus product, Ombrix: where it is installed (its Run
// value) and whether it is running (its mutex).
#pragma once

#include <string>

namespace tvn {

// Folder of the Ombrix program as found by the last LocateSibling, ending with
// a backslash; empty when not found.
extern std::string SiblingFolder;

// Sets SiblingFolder from the "OMBRIX" value of the machine's Run key.
void LocateSibling();

// True when the mutex "Ombrix" exists.
bool IsSiblingRunning();

}  // namespace tvn

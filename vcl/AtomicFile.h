// Replaces a file in one step, so a failure (a full disk, a folder without write access) never
// leaves a half-written file behind.
#pragma once

#include <string>

// Path in the file system's own bytes. On failure returns false with the reason in Error (GBK)
// and leaves any existing file as it was.
bool saveFileAtomically(const std::string& Path, const std::string& Bytes, std::string& Error);

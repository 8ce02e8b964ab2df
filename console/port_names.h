// The port selector's names and where each port number leads.
#pragma once

#include "Comm32.h"

#include <string>
#include <vector>

class TIniFile;

// "串口一" to "串口八" in GBK, for ports 1 to 8.
const std::vector<std::string>& portNames();

// The port number the selector's text names, byte for byte; 0 for any other text.
int portNumberOfName(const std::string& Text);

// Ports as the [ports] section (keys COM1 to COM8) maps them, read once now; a port without an
// entry, or with an empty one, is /dev/ttyS<n-1>.
TPortResolver portResolverFromIni(const TIniFile& Ini);

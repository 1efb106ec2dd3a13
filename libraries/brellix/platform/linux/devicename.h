// A monitor's device name as szDevice holds it.
#ifndef BRELLIX_LINUX_DEVICENAME_H
#define BRELLIX_LINUX_DEVICENAME_H

#include <cstddef>
#include <string>

// The name of `size` raw bytes (an atom's name) as text in the process code page, cut to
// fit szDevice.
std::string device_name(const char *bytes, size_t size);

#endif

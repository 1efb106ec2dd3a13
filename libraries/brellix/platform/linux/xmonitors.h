// The monitors the X server of DISPLAY shows now.
#ifndef BRELLIX_LINUX_XMONITORS_H
#define BRELLIX_LINUX_XMONITORS_H

#include "../../platform.h"

#include <cstdint>
#include <string>
#include <vector>

struct HMONITOR__ {
  std::string name;  // as szDevice holds it
  RECT area;
  bool primary;
  uint32_t width_mm;
  uint32_t height_mm;
};

// RandR's active monitors in the server's order, or without RandR 1.5 the core screens.
// Empty when there is no display, or when the server does not answer within the time
// one enumeration has. Safe from several threads at once; throws only std::bad_alloc.
std::vector<HMONITOR__> read_monitors();

#endif

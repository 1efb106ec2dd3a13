// The display monitors of the machine, listed by the constructor.
#pragma once

#include "platform.h"

#include <cstdint>
#include <string>
#include <vector>

struct MonitorRecord {
  std::string device_name;
  uint32_t height_px;
  uint32_t width_px;
  uint32_t height_mm;
  uint32_t width_mm;
};

class MonitorEnumerator {
 public:
  MonitorEnumerator();
  MonitorEnumerator(const MonitorEnumerator &) = delete;
  MonitorEnumerator &operator=(const MonitorEnumerator &) = delete;

  std::vector<MonitorRecord> records;  // in the system's order
  std::string error_text;              // empty, or the failure that stopped the enumeration

 private:
  static BOOL CALLBACK enum_monitor(HMONITOR monitor, HDC hdc, LPRECT rect, LPARAM data);
};

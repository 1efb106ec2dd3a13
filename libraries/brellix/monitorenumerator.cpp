#include "monitorenumerator.h"

#include <cerrno>

MonitorEnumerator::MonitorEnumerator() {
  EnumDisplayMonitors(nullptr, nullptr, &MonitorEnumerator::enum_monitor,
                      reinterpret_cast<LPARAM>(this));
}

BOOL CALLBACK MonitorEnumerator::enum_monitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MonitorEnumerator &self = *reinterpret_cast<MonitorEnumerator *>(data);

  MONITORINFOEXA info;
  info.cbSize = sizeof(MONITORINFOEXA);
  if (!GetMonitorInfoA(monitor, reinterpret_cast<LPMONITORINFO>(&info))) {
    self.error_text = "GetMonitorInfoA failed with error: " + std::to_string(errno);
    return FALSE;
  }

  // A monitor whose device context cannot be made or given back is a failure, not a
  // monitor of size zero or the silent end of the list.
  HDC hdc = CreateDCA("DISPLAY", info.szDevice, nullptr, nullptr);
  if (hdc == nullptr) {
    self.error_text = std::string("CreateDCA failed for device: ") + info.szDevice;
    return FALSE;
  }
  MonitorRecord record;
  record.device_name = info.szDevice;
  record.height_px = static_cast<uint32_t>(GetDeviceCaps(hdc, DESKTOPVERTRES));
  record.width_px = static_cast<uint32_t>(GetDeviceCaps(hdc, DESKTOPHORZRES));
  record.height_mm = static_cast<uint32_t>(GetDeviceCaps(hdc, VERTSIZE));
  record.width_mm = static_cast<uint32_t>(GetDeviceCaps(hdc, HORZSIZE));
  self.records.push_back(record);

  if (!DeleteDC(hdc)) {
    self.error_text = std::string("DeleteDC failed for device: ") + info.szDevice;
    return FALSE;
  }
  return TRUE;
}

// The Windows display functions over X11: the monitors the X server of DISPLAY shows at
// the call, with device contexts that answer for one monitor each.
#include "../../platform.h"

#include "xmonitors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

struct HDC__ {
  uint32_t width_px, height_px, width_mm, height_mm;
};

namespace {

// The enumeration running on this thread and the monitor it is visiting, for CreateDCA:
// names cut to szDevice may repeat, so the visited monitor answers for its own name.
thread_local const std::vector<HMONITOR__> *current_monitors = nullptr;
thread_local const HMONITOR__ *current_monitor = nullptr;

// Device contexts this thread made and has not deleted, so that a stale or foreign
// handle is refused instead of being read. A context lives within one monitor step.
thread_local std::set<HDC> live_contexts;

bool valid_context(HDC hdc) { return hdc != nullptr && live_contexts.count(hdc) != 0; }

}  // namespace

// Nothing is thrown out of these functions: they fail as Windows' do, with FALSE or null.
BOOL EnumDisplayMonitors(HDC, LPCRECT, MONITORENUMPROC callback, LPARAM data) {
  if (callback == nullptr) return FALSE;
  // Restores the enumeration around this one, also when the callback throws.
  struct Visit {
    const std::vector<HMONITOR__> *outer = current_monitors;
    const HMONITOR__ *outer_monitor = current_monitor;
    ~Visit() {
      current_monitors = outer;
      current_monitor = outer_monitor;
    }
  };
  try {
    std::vector<HMONITOR__> monitors = read_monitors();
    Visit visit;
    current_monitors = &monitors;
    for (auto &monitor : monitors) {
      current_monitor = &monitor;
      RECT area = monitor.area;
      if (!callback(&monitor, nullptr, &area, data)) break;
    }
  } catch (...) {
    errno = ENOMEM;
    return FALSE;
  }
  return TRUE;
}

BOOL GetMonitorInfoA(HMONITOR monitor, LPMONITORINFO info) {
  if (monitor == nullptr || info == nullptr ||
      (info->cbSize != sizeof(MONITORINFO) && info->cbSize != sizeof(MONITORINFOEXA))) {
    errno = EINVAL;
    return FALSE;
  }
  info->rcMonitor = monitor->area;
  info->rcWork = monitor->area;
  info->dwFlags = monitor->primary ? 1 : 0;
  if (info->cbSize == sizeof(MONITORINFOEXA)) {
    auto *extended = static_cast<MONITORINFOEXA *>(info);
    size_t length = std::min(monitor->name.size(), static_cast<size_t>(CCHDEVICENAME - 1));
    std::memcpy(extended->szDevice, monitor->name.data(), length);
    extended->szDevice[length] = '\0';
  }
  return TRUE;
}

HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR, const DEVMODEA *) {
  if (driver == nullptr || std::strcmp(driver, "DISPLAY") != 0 || device == nullptr) return nullptr;
  try {
    const HMONITOR__ *found = nullptr;
    std::vector<HMONITOR__> fresh;
    if (current_monitor != nullptr && current_monitor->name == device) {
      found = current_monitor;
    } else {
      const std::vector<HMONITOR__> *monitors = current_monitors;
      if (monitors == nullptr) {
        fresh = read_monitors();
        monitors = &fresh;
      }
      for (const auto &monitor : *monitors) {
        if (monitor.name == device) {
          found = &monitor;
          break;
        }
      }
    }
    if (found == nullptr) return nullptr;
    auto hdc = std::make_unique<HDC__>(HDC__{
        static_cast<uint32_t>(found->area.right - found->area.left),
        static_cast<uint32_t>(found->area.bottom - found->area.top), found->width_mm,
        found->height_mm});
    live_contexts.insert(hdc.get());
    return hdc.release();
  } catch (...) {
    return nullptr;
  }
}

int GetDeviceCaps(HDC hdc, int index) {
  if (!valid_context(hdc)) return 0;
  switch (index) {
    case DESKTOPVERTRES: return static_cast<int>(hdc->height_px);
    case DESKTOPHORZRES: return static_cast<int>(hdc->width_px);
    case VERTSIZE: return static_cast<int>(hdc->height_mm);
    case HORZSIZE: return static_cast<int>(hdc->width_mm);
    default: return 0;
  }
}

BOOL DeleteDC(HDC hdc) {
  if (hdc == nullptr || live_contexts.erase(hdc) == 0) return FALSE;
  delete hdc;
  return TRUE;
}

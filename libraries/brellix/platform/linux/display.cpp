// The Windows display functions over X11: RandR's active monitors, in the server's
// order, through one X connection per enumeration. No display means no monitor.
#include "../../platform.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

struct HMONITOR__ {
  std::string name;  // as szDevice holds it
  RECT area;
  bool primary;
  uint32_t width_mm;
  uint32_t height_mm;
};

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

std::vector<HMONITOR__> read_monitors() {
  std::vector<HMONITOR__> monitors;
  int screen_number = 0;
  xcb_connection_t *connection = xcb_connect(nullptr, &screen_number);
  if (xcb_connection_has_error(connection)) {
    xcb_disconnect(connection);
    return monitors;
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; i < screen_number && screens.rem; ++i) xcb_screen_next(&screens);
  if (screens.rem == 0) {
    xcb_disconnect(connection);
    return monitors;
  }

  xcb_randr_get_monitors_reply_t *reply = xcb_randr_get_monitors_reply(
      connection, xcb_randr_get_monitors(connection, screens.data->root, 1), nullptr);
  if (reply != nullptr) {
    // Ask for every name first, then collect the answers: one round trip.
    std::vector<xcb_get_atom_name_cookie_t> cookies;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(reply); it.rem;
         xcb_randr_monitor_info_next(&it))
      cookies.push_back(xcb_get_atom_name(connection, it.data->name));
    size_t index = 0;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(reply); it.rem;
         xcb_randr_monitor_info_next(&it), ++index) {
      const xcb_randr_monitor_info_t *info = it.data;
      HMONITOR__ monitor;
      xcb_get_atom_name_reply_t *name = xcb_get_atom_name_reply(connection, cookies[index], nullptr);
      if (name != nullptr) {
        monitor.name.assign(xcb_get_atom_name_name(name),
                            std::min(static_cast<size_t>(xcb_get_atom_name_name_length(name)),
                                     static_cast<size_t>(CCHDEVICENAME - 1)));
        std::free(name);
      }
      monitor.area = {info->x, info->y, info->x + info->width, info->y + info->height};
      monitor.primary = info->primary != 0;
      monitor.width_mm = info->width_in_millimeters;
      monitor.height_mm = info->height_in_millimeters;
      monitors.push_back(monitor);
    }
    std::free(reply);
  }
  xcb_disconnect(connection);
  return monitors;
}

}  // namespace

BOOL EnumDisplayMonitors(HDC, LPCRECT, MONITORENUMPROC callback, LPARAM data) {
  if (callback == nullptr) return FALSE;
  std::vector<HMONITOR__> monitors = read_monitors();
  const std::vector<HMONITOR__> *outer = current_monitors;
  const HMONITOR__ *outer_monitor = current_monitor;
  current_monitors = &monitors;
  for (auto &monitor : monitors) {
    current_monitor = &monitor;
    RECT area = monitor.area;
    if (!callback(&monitor, nullptr, &area, data)) break;
  }
  current_monitors = outer;
  current_monitor = outer_monitor;
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
  HDC hdc = new HDC__{static_cast<uint32_t>(found->area.right - found->area.left),
                      static_cast<uint32_t>(found->area.bottom - found->area.top),
                      found->width_mm, found->height_mm};
  live_contexts.insert(hdc);
  return hdc;
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

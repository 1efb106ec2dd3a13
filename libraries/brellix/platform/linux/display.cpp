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

// Length of the well-formed UTF-8 sequence at `text` (as strict as Python's decoder: no
// overlong forms, surrogates or values past U+10FFFF), or 0 when there is none.
size_t utf8_sequence(const unsigned char *text, size_t left) {
  unsigned char lead = text[0];
  if (lead < 0x80) return 1;
  size_t length;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (left < length || text[1] < low || text[1] > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if (text[i] < 0x80 || text[i] > 0xBF) return 0;
  return length;
}

// szDevice holds text in the process code page, UTF-8 here. The protocol makes atom names
// Latin-1, yet clients such as xrandr store the bytes they are given, mostly UTF-8: a name
// that is valid UTF-8 stays as it is, any other is read as Latin-1. The text ends at a NUL,
// as szDevice would, and is cut at a character boundary to fit szDevice.
std::string device_name(const char *bytes, size_t size) {
  const auto *name = reinterpret_cast<const unsigned char *>(bytes);
  size = std::find(name, name + size, '\0') - name;
  size_t at = 0;
  for (size_t length; at < size && (length = utf8_sequence(name + at, size - at)) != 0;)
    at += length;
  std::string text;
  if (at == size) {
    text.assign(bytes, size);
  } else {
    for (size_t i = 0; i < size; ++i) {
      if (name[i] < 0x80) {
        text += static_cast<char>(name[i]);
      } else {
        text += static_cast<char>(0xC0 | name[i] >> 6);
        text += static_cast<char>(0x80 | (name[i] & 0x3F));
      }
    }
  }
  const auto *utf8 = reinterpret_cast<const unsigned char *>(text.data());
  size_t cut = 0;
  for (size_t length; cut < text.size(); cut += length) {
    length = utf8_sequence(utf8 + cut, text.size() - cut);
    if (length == 0 || cut + length > CCHDEVICENAME - 1) break;
  }
  text.resize(cut);
  return text;
}

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
        monitor.name = device_name(xcb_get_atom_name_name(name),
                                   static_cast<size_t>(xcb_get_atom_name_name_length(name)));
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

// The Windows display functions over X11: RandR's active monitors in the server's order,
// or without them the core screens, through one X connection per enumeration. No display,
// or one that does not answer in time, means no monitor.
#include "../../platform.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <poll.h>
#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
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

using Clock = std::chrono::steady_clock;

// How long the X server has to take the connection and answer everything one
// enumeration asks. The caller holds the interpreter lock meanwhile; a server that takes
// longer (stopped, wedged) counts as no display.
constexpr std::chrono::seconds answer_time{3};

struct FreeReply {
  void operator()(void *reply) const { std::free(reply); }
};
template <typename Reply>
using XReply = std::unique_ptr<Reply, FreeReply>;

// xcb_connect waits for the server's first answer without limit, so it runs on a helper
// thread. A caller that stops waiting leaves the connection to the helper, which closes
// it whenever xcb_connect returns.
struct PendingConnection {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  bool abandoned = false;
  xcb_connection_t *connection = nullptr;
  int screen = 0;
};

xcb_connection_t *connect_until(const std::string &display, Clock::time_point deadline,
                                int &screen) {
  auto pending = std::make_shared<PendingConnection>();
  // The helper takes no signals: they stay with the threads that handle them.
  sigset_t all, previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  try {
    std::thread([pending, display] {
      int screen = 0;
      xcb_connection_t *connection = xcb_connect(display.c_str(), &screen);
      std::lock_guard<std::mutex> lock(pending->mutex);
      if (pending->abandoned) {
        xcb_disconnect(connection);
        return;
      }
      pending->connection = connection;
      pending->screen = screen;
      pending->done = true;
      pending->finished.notify_one();
    }).detach();
  } catch (const std::exception &) {
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return nullptr;
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  std::unique_lock<std::mutex> lock(pending->mutex);
  if (!pending->finished.wait_until(lock, deadline, [&] { return pending->done; })) {
    pending->abandoned = true;
    return nullptr;
  }
  screen = pending->screen;
  return pending->connection;
}

// One enumeration's X connection: every wait on the server ends at the same deadline.
class XLink {
 public:
  explicit XLink(const char *display) : deadline_(Clock::now() + answer_time) {
    connection_ = connect_until(display, deadline_, screen_);
    if (connection_ != nullptr && xcb_connection_has_error(connection_)) {
      xcb_disconnect(connection_);
      connection_ = nullptr;
    }
  }
  ~XLink() {
    if (connection_ != nullptr) xcb_disconnect(connection_);
  }
  XLink(const XLink &) = delete;
  XLink &operator=(const XLink &) = delete;

  xcb_connection_t *connection() const { return connection_; }
  int screen() const { return screen_; }
  // The server did not answer in time or the connection broke: nothing it said counts.
  bool silent() const { return silent_; }

  // The reply to a request, or null for an error reply or no answer (see silent()).
  template <typename Reply>
  XReply<Reply> reply(unsigned int sequence) {
    return XReply<Reply>(static_cast<Reply *>(wait(sequence)));
  }

 private:
  void *wait(unsigned int sequence) {
    if (silent_) return nullptr;
    if (xcb_flush(connection_) > 0) {
      for (;;) {
        void *reply = nullptr;
        xcb_generic_error_t *error = nullptr;
        if (xcb_poll_for_reply(connection_, sequence, &reply, &error)) {
          std::free(error);
          if (reply == nullptr && xcb_connection_has_error(connection_)) break;
          return reply;
        }
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline_ - Clock::now());
        if (left.count() <= 0 || xcb_connection_has_error(connection_)) break;
        pollfd socket = {xcb_get_file_descriptor(connection_), POLLIN, 0};
        if (poll(&socket, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
      }
    }
    silent_ = true;
    return nullptr;
  }

  Clock::time_point deadline_;
  xcb_connection_t *connection_ = nullptr;
  int screen_ = 0;
  bool silent_ = false;
};

std::vector<HMONITOR__> randr_monitors(XLink &link, xcb_window_t root) {
  xcb_connection_t *connection = link.connection();
  std::vector<HMONITOR__> monitors;
  // Sending a RandR request needs the extension's opcode, which xcb would wait for
  // without limit: fetch it ahead, and once a later reply is in, it is in too.
  xcb_prefetch_extension_data(connection, &xcb_randr_id);
  if (!link.reply<xcb_get_input_focus_reply_t>(xcb_get_input_focus(connection).sequence))
    return monitors;
  const xcb_query_extension_reply_t *randr = xcb_get_extension_data(connection, &xcb_randr_id);
  if (randr == nullptr || !randr->present) return monitors;
  // Monitors came with RandR 1.5.
  auto version = link.reply<xcb_randr_query_version_reply_t>(
      xcb_randr_query_version(connection, 1, 5).sequence);
  if (!version || version->major_version < 1 ||
      (version->major_version == 1 && version->minor_version < 5))
    return monitors;

  auto reply = link.reply<xcb_randr_get_monitors_reply_t>(
      xcb_randr_get_monitors(connection, root, 1).sequence);
  if (!reply) return monitors;
  // Ask for every name first, then collect the answers: one round trip.
  std::vector<unsigned int> names;
  for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem;
       xcb_randr_monitor_info_next(&it))
    names.push_back(xcb_get_atom_name(connection, it.data->name).sequence);
  size_t index = 0;
  for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem;
       xcb_randr_monitor_info_next(&it), ++index) {
    const xcb_randr_monitor_info_t *info = it.data;
    HMONITOR__ monitor;
    if (auto name = link.reply<xcb_get_atom_name_reply_t>(names[index]))
      monitor.name = device_name(xcb_get_atom_name_name(name.get()),
                                 static_cast<size_t>(xcb_get_atom_name_name_length(name.get())));
    monitor.area = {info->x, info->y, info->x + info->width, info->y + info->height};
    monitor.primary = info->primary != 0;
    monitor.width_mm = info->width_in_millimeters;
    monitor.height_mm = info->height_in_millimeters;
    monitors.push_back(monitor);
  }
  return monitors;
}

// Without RandR monitors every core screen is one monitor, named by its number: an X
// display always shows something, as a Windows desktop always has a monitor.
std::vector<HMONITOR__> core_screens(const xcb_setup_t *setup, int default_screen) {
  std::vector<HMONITOR__> monitors;
  int number = 0;
  for (auto it = xcb_setup_roots_iterator(setup); it.rem; xcb_screen_next(&it), ++number) {
    const xcb_screen_t *screen = it.data;
    HMONITOR__ monitor;
    monitor.name = std::to_string(number);
    monitor.area = {0, 0, screen->width_in_pixels, screen->height_in_pixels};
    monitor.primary = number == default_screen;
    monitor.width_mm = screen->width_in_millimeters;
    monitor.height_mm = screen->height_in_millimeters;
    monitors.push_back(monitor);
  }
  return monitors;
}

std::vector<HMONITOR__> read_monitors() {
  const char *display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') return {};
  XLink link(display);
  if (link.connection() == nullptr) return {};
  const xcb_setup_t *setup = xcb_get_setup(link.connection());
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
  for (int i = 0; i < link.screen() && screens.rem; ++i) xcb_screen_next(&screens);
  if (screens.rem == 0) return {};
  std::vector<HMONITOR__> monitors = randr_monitors(link, screens.data->root);
  if (link.silent()) return {};
  if (monitors.empty()) monitors = core_screens(setup, link.screen());
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

// The Windows display functions over X11: RandR's active monitors in the server's order,
// or without RandR 1.5 the core screens, through one X connection per process that each
// enumeration asks anew. No display, or one that does not answer in time, means no
// monitor.
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
#include <new>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <utility>
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

// How long the X server has to answer one enumeration, the connection included. The
// caller holds the interpreter lock meanwhile; a server that takes longer (stopped,
// wedged) counts as no display.
constexpr std::chrono::seconds answer_time{3};

struct FreeReply {
  void operator()(void *reply) const { std::free(reply); }
};
template <typename Reply>
using XReply = std::unique_ptr<Reply, FreeReply>;

// One connection attempt. xcb_connect waits for the server's first answer, and libXau
// for its authority file, without limit, so it runs on a helper thread of its own.
struct Attempt {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::string display;
  xcb_connection_t *connection = nullptr;  // null when the connection failed
  int screen = 0;
};

// The process's X connection, kept between enumerations, and what it learnt from the
// server. One enumeration at a time talks to it.
struct Link {
  std::mutex mutex;
  std::condition_variable turn_free;
  bool in_turn = false;
  // The one attempt under way, or finished and not yet taken: however many calls find
  // the server silent, they wait for it instead of starting more.
  std::shared_ptr<Attempt> attempt;
  xcb_connection_t *connection = nullptr;
  std::string display;
  int screen = 0;
  bool randr_checked = false;
  bool randr_monitors = false;  // RandR 1.5 or later
  std::unordered_map<xcb_atom_t, std::string> names;  // a server never renames an atom
};

// A forked child starts with a link of its own: the parent's connection and attempt
// belong to the parent (its socket must not be shut down), and the parent's lock may
// have been held by a thread the child does not have.
alignas(Link) unsigned char link_storage[sizeof(Link)];

Link &the_link() {
  static Link *link = [] {
    Link *made = new (link_storage) Link;
    pthread_atfork(nullptr, nullptr, [] { new (link_storage) Link; });
    return made;
  }();
  return *link;
}

// Holds the link for one enumeration; owned() is false when the caller's deadline came
// first.
class Turn {
 public:
  Turn(Link &link, Clock::time_point deadline) : link_(link) {
    std::unique_lock<std::mutex> lock(link.mutex);
    owned_ = link.turn_free.wait_until(lock, deadline, [&] { return !link.in_turn; });
    if (owned_) link.in_turn = true;
  }
  ~Turn() {
    if (!owned_) return;
    std::lock_guard<std::mutex> lock(link_.mutex);
    link_.in_turn = false;
    link_.turn_free.notify_one();
  }
  Turn(const Turn &) = delete;
  Turn &operator=(const Turn &) = delete;
  bool owned() const { return owned_; }

 private:
  Link &link_;
  bool owned_;
};

void forget_connection(Link &link) {
  xcb_disconnect(link.connection);
  link.connection = nullptr;
  link.randr_checked = false;
  link.names.clear();
}

bool start_attempt(Link &link, const std::string &display) {
  auto attempt = std::make_shared<Attempt>();
  attempt->display = display;
  // The helper takes no signals: they stay with the threads that handle them.
  sigset_t all, previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  bool started = true;
  try {
    std::thread([attempt] {
      int screen = 0;
      xcb_connection_t *connection = xcb_connect(attempt->display.c_str(), &screen);
      if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        connection = nullptr;
      }
      std::lock_guard<std::mutex> lock(attempt->mutex);
      attempt->connection = connection;
      attempt->screen = screen;
      attempt->done = true;
      attempt->finished.notify_all();
    }).detach();
  } catch (const std::system_error &) {
    started = false;
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (started) link.attempt = std::move(attempt);
  return started;
}

// Makes link.connection a connection to `display`, or returns false by `deadline`.
bool connect_until(Link &link, const std::string &display, Clock::time_point deadline) {
  for (;;) {
    if (!link.attempt && !start_attempt(link, display)) return false;
    std::shared_ptr<Attempt> attempt = link.attempt;
    std::unique_lock<std::mutex> lock(attempt->mutex);
    if (!attempt->finished.wait_until(lock, deadline, [&] { return attempt->done; }))
      return false;
    link.attempt.reset();
    if (attempt->display == display) {
      link.connection = attempt->connection;
      link.display = display;
      link.screen = attempt->screen;
      return link.connection != nullptr;
    }
    // Made for the display asked for before: try the one asked for now.
    xcb_disconnect(attempt->connection);
  }
}

// The reply to a request, or null for an error reply; `answered` turns false when the
// server did not answer by `deadline` or the connection broke.
template <typename Reply>
XReply<Reply> reply_until(xcb_connection_t *connection, unsigned int sequence,
                          Clock::time_point deadline, bool &answered) {
  if (!answered) return nullptr;
  if (xcb_flush(connection) > 0) {
    for (;;) {
      void *reply = nullptr;
      xcb_generic_error_t *error = nullptr;
      if (xcb_poll_for_reply(connection, sequence, &reply, &error)) {
        std::free(error);
        if (reply == nullptr && xcb_connection_has_error(connection)) break;
        return XReply<Reply>(static_cast<Reply *>(reply));
      }
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0 || xcb_connection_has_error(connection)) break;
      pollfd socket = {xcb_get_file_descriptor(connection), POLLIN, 0};
      if (poll(&socket, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
    }
  }
  answered = false;
  return nullptr;
}

// The monitors of the GetMonitors request `sequence`.
std::vector<HMONITOR__> randr_monitors(Link &link, unsigned int sequence,
                                       Clock::time_point deadline, bool &answered) {
  xcb_connection_t *connection = link.connection;
  std::vector<HMONITOR__> monitors;
  auto reply = reply_until<xcb_randr_get_monitors_reply_t>(connection, sequence, deadline,
                                                           answered);
  if (!reply) return monitors;
  // Names not seen before are asked for together: one round trip.
  if (link.names.size() > 1024) link.names.clear();
  std::vector<std::pair<xcb_atom_t, unsigned int>> asked;
  for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem;
       xcb_randr_monitor_info_next(&it))
    if (link.names.count(it.data->name) == 0)
      asked.emplace_back(it.data->name, xcb_get_atom_name(connection, it.data->name).sequence);
  for (const auto &request : asked) {
    auto name = reply_until<xcb_get_atom_name_reply_t>(connection, request.second, deadline,
                                                       answered);
    if (!answered) return {};
    link.names[request.first] =
        name ? device_name(xcb_get_atom_name_name(name.get()),
                           static_cast<size_t>(xcb_get_atom_name_name_length(name.get())))
             : std::string();
  }
  for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem;
       xcb_randr_monitor_info_next(&it)) {
    const xcb_randr_monitor_info_t *info = it.data;
    HMONITOR__ monitor;
    monitor.name = link.names[info->name];
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

// The monitors shown on link.connection now; false when the server did not answer in
// time or the connection broke.
bool ask_monitors(Link &link, Clock::time_point deadline, std::vector<HMONITOR__> &monitors) {
  monitors.clear();
  const xcb_setup_t *setup = xcb_get_setup(link.connection);
  // libxcb takes any screen number the display names, even a negative one.
  if (link.screen < 0 || link.screen >= xcb_setup_roots_length(setup)) return true;
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
  for (int i = 0; i < link.screen; ++i) xcb_screen_next(&screens);
  xcb_connection_t *connection = link.connection;
  const xcb_window_t root = screens.data->root;
  bool answered = true;
  unsigned int request = 0;
  if (!link.randr_checked) {
    // Whether the server has RandR 1.5's monitors is asked once per connection. Sending
    // a RandR request needs the extension's opcode, which xcb would wait for without
    // limit: it is fetched ahead, and once a later reply is in, it is in too.
    xcb_prefetch_extension_data(connection, &xcb_randr_id);
    reply_until<xcb_get_input_focus_reply_t>(connection, xcb_get_input_focus(connection).sequence,
                                             deadline, answered);
    if (!answered) return false;
    const xcb_query_extension_reply_t *randr = xcb_get_extension_data(connection, &xcb_randr_id);
    link.randr_monitors = false;
    if (randr != nullptr && randr->present) {
      // The monitors are asked for along with the version; an older server refuses them.
      unsigned int version_request = xcb_randr_query_version(connection, 1, 5).sequence;
      request = xcb_randr_get_monitors(connection, root, 1).sequence;
      auto version = reply_until<xcb_randr_query_version_reply_t>(connection, version_request,
                                                                  deadline, answered);
      if (!answered) return false;
      link.randr_monitors =
          version && (version->major_version > 1 ||
                      (version->major_version == 1 && version->minor_version >= 5));
      if (!link.randr_monitors) xcb_discard_reply(connection, request);
    }
    link.randr_checked = true;
  } else if (link.randr_monitors) {
    request = xcb_randr_get_monitors(connection, root, 1).sequence;
  }
  if (link.randr_monitors) {
    monitors = randr_monitors(link, request, deadline, answered);
    return answered;
  }
  // The setup a connection began with goes stale once a screen is resized: the next
  // enumeration connects anew.
  monitors = core_screens(setup, link.screen);
  forget_connection(link);
  return true;
}

std::vector<HMONITOR__> read_monitors() {
  const char *variable = std::getenv("DISPLAY");
  if (variable == nullptr || *variable == '\0') return {};
  const std::string display = variable;
  const Clock::time_point deadline = Clock::now() + answer_time;
  Link &link = the_link();
  Turn turn(link, deadline);
  if (!turn.owned()) return {};
  std::vector<HMONITOR__> monitors;
  try {
    if (link.connection != nullptr && link.display != display) forget_connection(link);
    // A kept connection may have outlived its server: one more try on a new one.
    for (bool kept = link.connection != nullptr;; kept = false) {
      if (link.connection == nullptr && !connect_until(link, display, deadline)) return {};
      if (ask_monitors(link, deadline, monitors)) return monitors;
      forget_connection(link);
      if (!kept || Clock::now() >= deadline) return {};
    }
  } catch (...) {
    // Replies may be left unread: the connection is not to be trusted any more.
    forget_connection(link);
    throw;
  }
}

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

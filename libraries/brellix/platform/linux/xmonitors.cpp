// The monitors of DISPLAY through one X connection per process that each enumeration asks
// anew: RandR 1.5's active monitors, or the core screens.
#include "xmonitors.h"

#include "devicename.h"
#include "xconnection.h"

#include <xcb/randr.h>
#include <xcb/xcbext.h>

#include <poll.h>
#include <pthread.h>

#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>
#include <utility>

namespace {

// How long the X server has to answer one enumeration, the connection included. The
// caller holds the interpreter lock meanwhile; a server that takes longer (stopped,
// wedged) counts as no display.
constexpr std::chrono::seconds answer_time{3};

// The process's X connection, kept between enumerations, and what it learnt from the
// server. One enumeration at a time talks to it.
struct Link {
  std::mutex mutex;
  std::condition_variable turn_free;
  bool in_turn = false;
  xcb_connection_t *connection = nullptr;
  std::string display;
  int screen = 0;
  bool randr_checked = false;
  bool randr_monitors = false;  // RandR 1.5 or later
  std::unordered_map<xcb_atom_t, std::string> names;  // a server never renames an atom
};

alignas(Link) unsigned char link_storage[sizeof(Link)];
Link *const the_link = new (link_storage) Link;

// A forked child starts with a link of its own, made as the module loads: the parent's
// connection is the parent's (its socket copy is closed by the connection's own handler),
// and the parent's lock may have been held by a thread the child does not have. The old
// link is dropped, not destroyed.
[[maybe_unused]] const int fork_handler =
    pthread_atfork(nullptr, nullptr, [] { new (link_storage) Link; });

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
  if (link.connection != nullptr) disconnect_display(link.connection);
  link.connection = nullptr;
  link.randr_checked = false;
  link.names.clear();
}

// The server did not answer by the deadline, or the connection broke.
struct NoAnswer {};

struct FreeReply {
  void operator()(void *reply) const { std::free(reply); }
};
template <typename Reply>
using XReply = std::unique_ptr<Reply, FreeReply>;

// The reply to request `sequence`, null for an error reply; throws NoAnswer.
template <typename Reply>
XReply<Reply> reply_by(xcb_connection_t *connection, unsigned int sequence,
                       Clock::time_point deadline) {
  if (xcb_flush(connection) <= 0) throw NoAnswer();
  for (;;) {
    void *reply = nullptr;
    xcb_generic_error_t *error = nullptr;
    if (xcb_poll_for_reply(connection, sequence, &reply, &error)) {
      std::free(error);
      if (reply == nullptr && xcb_connection_has_error(connection)) throw NoAnswer();
      return XReply<Reply>(static_cast<Reply *>(reply));
    }
    if (xcb_connection_has_error(connection) ||
        !ready_by(xcb_get_file_descriptor(connection), POLLIN, deadline))
      throw NoAnswer();
  }
}

// Every client gets events it never asked for (MappingNotify on each keymap change), and
// libxcb keeps those it read on the way to a reply until they are asked for: they are
// dropped once the replies are in. What is still unread waits in the socket for the next
// enumeration, which drops it in turn.
void drop_events(xcb_connection_t *connection) {
  while (xcb_generic_event_t *event = xcb_poll_for_queued_event(connection)) std::free(event);
}

// The monitors of the GetMonitors request `sequence`.
std::vector<HMONITOR__> randr_monitors(Link &link, unsigned int sequence,
                                       Clock::time_point deadline) {
  xcb_connection_t *connection = link.connection;
  auto reply = reply_by<xcb_randr_get_monitors_reply_t>(connection, sequence, deadline);
  if (!reply) return {};
  // Names not seen before are asked for together: one round trip.
  if (link.names.size() > 1024) link.names.clear();
  std::vector<std::pair<xcb_atom_t, unsigned int>> asked;
  for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem;
       xcb_randr_monitor_info_next(&it))
    if (link.names.count(it.data->name) == 0)
      asked.emplace_back(it.data->name, xcb_get_atom_name(connection, it.data->name).sequence);
  for (const auto &request : asked) {
    auto name = reply_by<xcb_get_atom_name_reply_t>(connection, request.second, deadline);
    link.names[request.first] =
        name ? device_name(xcb_get_atom_name_name(name.get()),
                           static_cast<size_t>(xcb_get_atom_name_name_length(name.get())))
             : std::string();
  }
  std::vector<HMONITOR__> monitors;
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

// The monitors shown on link.connection now; throws NoAnswer.
std::vector<HMONITOR__> ask_monitors(Link &link, Clock::time_point deadline) {
  const xcb_setup_t *setup = xcb_get_setup(link.connection);
  // libxcb takes any screen number the display names, even a negative one.
  if (link.screen < 0 || link.screen >= xcb_setup_roots_length(setup)) return {};
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
  for (int i = 0; i < link.screen; ++i) xcb_screen_next(&screens);
  xcb_connection_t *connection = link.connection;
  const xcb_window_t root = screens.data->root;
  unsigned int request = 0;
  if (!link.randr_checked) {
    // Whether the server has RandR 1.5's monitors is asked once per connection. Sending
    // a RandR request needs the extension's opcode, which xcb would wait for without
    // limit: it is fetched ahead, and once a later reply is in, it is in too.
    xcb_prefetch_extension_data(connection, &xcb_randr_id);
    reply_by<xcb_get_input_focus_reply_t>(connection, xcb_get_input_focus(connection).sequence,
                                          deadline);
    const xcb_query_extension_reply_t *randr = xcb_get_extension_data(connection, &xcb_randr_id);
    link.randr_monitors = false;
    if (randr != nullptr && randr->present) {
      // The monitors are asked for along with the version; an older server refuses them.
      unsigned int version_request = xcb_randr_query_version(connection, 1, 5).sequence;
      request = xcb_randr_get_monitors(connection, root, 1).sequence;
      auto version =
          reply_by<xcb_randr_query_version_reply_t>(connection, version_request, deadline);
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
    std::vector<HMONITOR__> monitors = randr_monitors(link, request, deadline);
    drop_events(connection);
    return monitors;
  }
  // The setup a connection began with goes stale once a screen is resized: the next
  // enumeration connects anew.
  std::vector<HMONITOR__> monitors = core_screens(setup, link.screen);
  forget_connection(link);
  return monitors;
}

}  // namespace

std::vector<HMONITOR__> read_monitors() {
  const char *variable = std::getenv("DISPLAY");
  if (variable == nullptr || *variable == '\0') return {};
  const std::string display = variable;
  const Clock::time_point deadline = Clock::now() + answer_time;
  Link &link = *std::launder(the_link);
  Turn turn(link, deadline);
  if (!turn.owned()) return {};
  if (link.display != display) forget_connection(link);
  // A connection may have lost its server, the kept one since the last call or a new one
  // just after it was made: one more try on a new connection.
  for (int tries = 0; tries < 2 && Clock::now() < deadline; ++tries) {
    if (link.connection == nullptr) {
      link.connection = connect_display(display, link.screen, deadline);
      if (link.connection == nullptr) return {};
      link.display = display;
    }
    try {
      return ask_monitors(link, deadline);
    } catch (const NoAnswer &) {
      forget_connection(link);
    } catch (...) {
      // Replies may be left unread: the connection is not to be trusted any more.
      forget_connection(link);
      throw;
    }
  }
  return {};
}

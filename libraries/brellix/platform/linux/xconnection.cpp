// A connection to an X display that is live by a deadline, or none.
//
// xcb_connect waits without limit in two places: libXau reading the authority file
// (/dev/zero or a FIFO never ends) and the read of the server's setup reply (a stopped
// server never answers). So the socket and the authority are ours: the display name is
// parsed and the socket opened as libxcb does it, and the authority read only from a
// regular file of bounded size. libxcb's setup exchange runs on the calling thread,
// watched by a thread that ends it with a shutdown() of our own descriptor at the deadline.
#include "xconnection.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// ---- Descriptors a fork must not hand on.

// Every descriptor of ours that is open, with its inode: libxcb closes the one it was
// given when the setup fails, and its number may be reused before the slot is cleared.
struct Held {
  int fd = -1;
  ino_t inode = 0;
};
std::mutex held_mutex;  // also taken across fork(), so a fork sees every descriptor held
Held held[6];  // a kept connection, an attempt's socket and its duplicate, a file: room to spare

// Runs `make`, which opens one descriptor or returns -1, so that no fork comes between
// the opening and the holding.
template <typename Make>
int make_held(Make make) {
  std::lock_guard<std::mutex> lock(held_mutex);
  int fd = make();
  if (fd < 0) return -1;
  struct stat status;
  for (Held &slot : held) {
    if (slot.fd < 0 && fstat(fd, &status) == 0) {
      slot = {fd, status.st_ino};
      return fd;
    }
  }
  close(fd);
  errno = EMFILE;
  return -1;
}

void let_go(int fd) {
  for (Held &slot : held)
    if (slot.fd == fd) slot = {};
}

void close_held(int fd) {
  std::lock_guard<std::mutex> lock(held_mutex);
  let_go(fd);
  close(fd);
}

// ---- The display name, read as libxcb reads it: [protocol/]host:number[.screen].

struct DisplayName {
  std::optional<std::string> protocol;
  std::string host;
  int number = 0;
  int screen = 0;
};

bool parse_display(const char *name, DisplayName &parsed) {
  if (const char *slash = std::strrchr(name, '/')) {
    parsed.protocol.emplace(name, slash);
    name = slash + 1;
  }
  const char *colon = std::strrchr(name, ':');
  if (colon == nullptr) return false;
  parsed.host.assign(name, colon);
  const char *digits = colon + 1;
  char *end;
  // libxcb's strtoul and its wrap into int, so that the same names mean the same display.
  parsed.number = static_cast<int>(std::strtoul(digits, &end, 10));
  if (end == digits) return false;
  if (*end == '\0') return true;
  if (*end != '.') return false;
  digits = end + 1;
  parsed.screen = static_cast<int>(std::strtoul(digits, &end, 10));
  return end != digits && *end == '\0';
}

// ---- The socket.

bool connected_by(int fd, Clock::time_point deadline) {
  if (!ready_by(fd, POLLOUT, deadline)) return false;
  int error = 0;
  socklen_t size = sizeof error;
  if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) return false;
  errno = error;
  return error == 0;
}

int connect_socket(int family, const sockaddr *address, socklen_t size,
                   Clock::time_point deadline) {
  int fd = make_held([&] { return socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0); });
  if (fd < 0) return -1;
  // A Unix socket whose server has a full backlog answers EAGAIN at once: no display.
  if (connect(fd, address, size) == 0 || (errno == EINPROGRESS && connected_by(fd, deadline)))
    return fd;
  int error = errno;
  close_held(fd);
  errno = error;
  return -1;
}

int connect_unix(const std::string &path, bool abstract) {
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  const size_t start = abstract ? 1 : 0;  // an abstract name begins with a NUL
  if (start + path.size() >= sizeof address.sun_path) {
    errno = ENAMETOOLONG;
    return -1;
  }
  std::memcpy(address.sun_path + start, path.data(), path.size());
  auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + start + path.size() +
                                     (abstract ? 0 : 1));
  // A Unix connect never waits, so no deadline is needed.
  return connect_socket(AF_UNIX, reinterpret_cast<sockaddr *>(&address), size,
                        Clock::time_point::max());
}

struct FreeAddresses {
  void operator()(addrinfo *addresses) const { freeaddrinfo(addresses); }
};
using Addresses = std::unique_ptr<addrinfo, FreeAddresses>;

// A host name lookup the resolver answers on a thread of glibc's. One still under way at
// the deadline cannot always be cancelled: it finishes there, and a later lookup frees
// it. Each lookup takes a slot before it starts, so at most this many are ever left.
struct Lookup {
  std::string host, service;
  addrinfo hints;
  gaicb request;
};
std::atomic<Lookup *> unfinished[8];
Lookup starting;  // marks a slot taken by a lookup under way in some call

void free_finished_lookups() {
  for (auto &slot : unfinished) {
    Lookup *lookup = slot.load();
    if (lookup != nullptr && lookup != &starting &&
        gai_error(&lookup->request) != EAI_INPROGRESS &&
        slot.compare_exchange_strong(lookup, nullptr)) {
      freeaddrinfo(lookup->request.ar_result);
      delete lookup;
    }
  }
}

Addresses look_up(const std::string &host, const std::string &service, const addrinfo &hints,
                  Clock::time_point deadline) {
  free_finished_lookups();
  std::atomic<Lookup *> *slot = nullptr;
  for (auto &each : unfinished) {
    Lookup *empty = nullptr;
    if (each.compare_exchange_strong(empty, &starting)) {
      slot = &each;
      break;
    }
  }
  if (slot == nullptr) return nullptr;
  auto lookup = std::make_unique<Lookup>(Lookup{host, service, hints, {}});
  lookup->request.ar_name = lookup->host.c_str();
  lookup->request.ar_service = lookup->service.c_str();
  lookup->request.ar_request = &lookup->hints;
  gaicb *list[] = {&lookup->request};
  int status = getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr) == 0 ? EAI_INPROGRESS : EAI_SYSTEM;
  while (status == EAI_INPROGRESS) {
    auto left = std::chrono::ceil<std::chrono::nanoseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      if (gai_cancel(&lookup->request) == EAI_NOTCANCELED) {
        slot->store(lookup.release());
        return nullptr;
      }
    } else {
      timespec wait = {static_cast<time_t>(left.count() / 1000000000),
                       static_cast<long>(left.count() % 1000000000)};
      gai_suspend(list, 1, &wait);
    }
    status = gai_error(&lookup->request);
  }
  slot->store(nullptr);
  if (status != 0) return nullptr;
  return Addresses(lookup->request.ar_result);
}

// A forked child closes its copies and never shuts them down: the sockets are the
// parent's. A copy left open would keep the parent a client of the server after it exits.
void close_inherited() {
  for (Held &slot : held) {
    struct stat status;
    if (slot.fd >= 0 && fstat(slot.fd, &status) == 0 && status.st_ino == slot.inode)
      close(slot.fd);
    slot = {};
  }
  held_mutex.unlock();
  // The lookups left to glibc's threads are the parent's; the child does not have those.
  for (auto &slot : unfinished) slot.store(nullptr);
}

// Registered as the module loads, not on first use: a child forked while another thread
// registered it on first use would wait for that registration for ever.
[[maybe_unused]] const int fork_handler =
    pthread_atfork([] { held_mutex.lock(); }, [] { held_mutex.unlock(); }, close_inherited);

int connect_tcp(const DisplayName &name, Clock::time_point deadline) {
  addrinfo hints = {};
  hints.ai_flags = AI_ADDRCONFIG;
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  if (name.protocol) {
    if (*name.protocol == "inet") hints.ai_family = AF_INET;
    else if (*name.protocol == "inet6") hints.ai_family = AF_INET6;
    else if (*name.protocol != "tcp") return -1;
  }
  std::string host = name.host;
  // Bracketed: an IPv6 address.
  if (host.size() > 1 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
    hints.ai_flags |= AI_NUMERICHOST;
    hints.ai_family = AF_INET6;
  }
  const std::string service = std::to_string(static_cast<unsigned short>(6000 + name.number));
  // The local machine's addresses are known without a lookup (which could wait on a
  // resolver for a name the hosts file lacks).
  const bool local = host.empty() || host == "localhost";
  const std::vector<std::string> hosts =
      local ? std::vector<std::string>{"::1", "127.0.0.1"} : std::vector<std::string>{host};
  for (const std::string &each : hosts) {
    addrinfo numeric = hints;
    // A literal address needs no check of the configured ones (a netlink round trip).
    numeric.ai_flags = (numeric.ai_flags | AI_NUMERICHOST) & ~AI_ADDRCONFIG;
    addrinfo *found = nullptr;
    Addresses addresses;
    if (getaddrinfo(each.c_str(), service.c_str(), &numeric, &found) == 0) addresses.reset(found);
    else if (!local && !(hints.ai_flags & AI_NUMERICHOST))
      addresses = look_up(each, service, hints, deadline);
    for (addrinfo *address = addresses.get(); address != nullptr; address = address->ai_next) {
      int fd = connect_socket(address->ai_family, address->ai_addr, address->ai_addrlen, deadline);
      if (fd < 0) continue;
      int on = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      return fd;
    }
  }
  return -1;
}

// As libxcb: TCP for a host other than "unix"; else the abstract Unix socket, the one in
// /tmp, and for a bare ":n" at last TCP on this machine.
int open_display(const DisplayName &name, Clock::time_point deadline) {
  if ((!name.protocol || *name.protocol != "unix") && !name.host.empty() && name.host != "unix")
    return connect_tcp(name, deadline);
  if (name.protocol && *name.protocol != "unix") return -1;
  const std::string path = "/tmp/.X11-unix/X" + std::to_string(name.number);
  int fd = connect_unix(path, true);
  if (fd >= 0 || (errno != ENOENT && errno != ECONNREFUSED)) return fd;
  fd = connect_unix(path, false);
  if (fd < 0 && !name.protocol && name.host.empty()) fd = connect_tcp(name, deadline);
  return fd;
}

// ---- The authority: MIT-MAGIC-COOKIE-1, as libXau picks it.

constexpr off_t largest_authority_file = 1 << 20;

// What the authority file would say of the server at the other end of `fd`: libXau's
// family and address for it.
bool server_address(int fd, uint16_t &family, std::string &address) {
  sockaddr_storage peer = {};
  socklen_t size = sizeof peer;
  auto *any = reinterpret_cast<sockaddr *>(&peer);
  if (getpeername(fd, any, &size) != 0) {
    size = sizeof peer;
    if (getsockname(fd, any, &size) != 0 || peer.ss_family != AF_UNIX) return false;
  }
  constexpr uint16_t local = 256, internet = 0, internet6 = 6;
  family = local;
  const char *bytes = nullptr;
  if (peer.ss_family == AF_INET6) {
    const in6_addr &ip = reinterpret_cast<sockaddr_in6 *>(&peer)->sin6_addr;
    if (IN6_IS_ADDR_V4MAPPED(&ip)) {
      bytes = reinterpret_cast<const char *>(&ip) + 12;
    } else if (!IN6_IS_ADDR_LOOPBACK(&ip)) {
      family = internet6;
      address.assign(reinterpret_cast<const char *>(&ip), 16);
    }
  } else if (peer.ss_family == AF_INET) {
    bytes = reinterpret_cast<const char *>(&reinterpret_cast<sockaddr_in *>(&peer)->sin_addr);
  } else if (peer.ss_family != AF_UNIX) {
    return false;
  }
  if (bytes != nullptr) {
    in_addr_t ip;
    std::memcpy(&ip, bytes, sizeof ip);
    if (ip != htonl(INADDR_LOOPBACK)) {
      family = internet;
      address.assign(bytes, 4);
    }
  }
  if (family == local) {
    char name[256];
    if (gethostname(name, sizeof name) != 0) return false;
    name[sizeof name - 1] = '\0';
    address = name;
  }
  return true;
}

// The authority file's text: XAUTHORITY, else ~/.Xauthority. Anything but a regular file
// of bounded size (a FIFO, /dev/zero) counts as missing.
bool read_authority_file(std::string &text) {
  std::string path;
  if (const char *named = std::getenv("XAUTHORITY")) {
    path = named;
  } else if (const char *home = std::getenv("HOME")) {
    path = std::string(home) + (std::strcmp(home, "/") == 0 ? ".Xauthority" : "/.Xauthority");
  } else {
    return false;
  }
  int fd = make_held([&] { return open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY); });
  if (fd < 0) return false;
  struct stat status;
  bool whole = fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
               status.st_size <= largest_authority_file;
  if (whole) {
    text.resize(static_cast<size_t>(status.st_size));
    size_t done = 0;
    for (ssize_t got; done < text.size(); done += static_cast<size_t>(got)) {
      got = read(fd, &text[done], text.size() - done);
      if (got < 0 && errno == EINTR) got = 0;
      else if (got <= 0) break;
    }
    text.resize(done);  // a file that shrank meanwhile ends where it ends
  }
  close_held(fd);
  return whole;
}

struct Authority {
  std::string name, data;
};

bool find_authority(int fd, int number, Authority &found) {
  uint16_t family;
  std::string address;
  std::string text;
  if (!server_address(fd, family, address) || !read_authority_file(text)) return false;
  const std::string display = std::to_string(number);
  size_t at = 0;
  auto counted = [&](std::string *field) {
    if (text.size() - at < 2) return false;
    size_t size = static_cast<unsigned char>(text[at]) << 8 | static_cast<unsigned char>(text[at + 1]);
    at += 2;
    if (text.size() - at < size) return false;
    if (field != nullptr) field->assign(text, at, size);
    at += size;
    return true;
  };
  // Entries: family, then address, display number, name and data, each counted. The
  // first that fits wins; a broken entry ends the file, as it ends libXau's reading.
  while (text.size() - at >= 2) {
    uint16_t entry_family = static_cast<uint16_t>(static_cast<unsigned char>(text[at]) << 8 |
                                                  static_cast<unsigned char>(text[at + 1]));
    at += 2;
    std::string entry_address, entry_number, name, data;
    if (!counted(&entry_address) || !counted(&entry_number) || !counted(&name) ||
        !counted(&data))
      return false;
    constexpr uint16_t wild = 0xFFFF;
    if ((entry_family == wild || (entry_family == family && entry_address == address)) &&
        (entry_number.empty() || entry_number == display) && name == "MIT-MAGIC-COOKIE-1") {
      found = {std::move(name), std::move(data)};
      return true;
    }
  }
  return false;
}

// ---- The setup exchange, watched.

// libxcb's setup waits for the server's answer without limit. It runs on the calling
// thread while a watchdog waits for the deadline and then shuts down `fd`, which ends
// libxcb's wait at once. libxcb is given a duplicate and closes it itself; `fd` stays open
// until the watchdog has been joined, so the shutdown never races with that close.
xcb_connection_t *set_up(int fd, int number, Clock::time_point deadline) {
  int given = make_held([&] { return fcntl(fd, F_DUPFD_CLOEXEC, 0); });
  if (given < 0) return nullptr;
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false, fired = false;
  std::thread watchdog;
  // The watchdog takes no signals: they stay with the threads that handle them.
  sigset_t all, previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  try {
    watchdog = std::thread([&] {
      std::unique_lock<std::mutex> lock(mutex);
      if (!finished.wait_until(lock, deadline, [&] { return done; })) {
        fired = true;
        shutdown(fd, SHUT_RDWR);
      }
    });
  } catch (const std::system_error &) {
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (!watchdog.joinable()) {
    close_held(given);
    return nullptr;
  }
  // Read while the watchdog starts.
  Authority authority;
  xcb_auth_info_t info = {};
  bool authorized = find_authority(fd, number, authority);
  if (authorized) {
    info.namelen = static_cast<int>(authority.name.size());
    info.name = authority.name.data();
    info.datalen = static_cast<int>(authority.data.size());
    info.data = authority.data.data();
  }
  // A write to the socket once the watchdog has shut it down raises SIGPIPE on this
  // thread, which a host need not ignore: it is held back and dropped.
  sigset_t pipe, before;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, &before);
  xcb_connection_t *made = xcb_connect_to_fd(given, authorized ? &info : nullptr);
  if (!sigismember(&before, SIGPIPE)) {
    sigset_t pending;
    const timespec now = {0, 0};
    if (sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE))
      sigtimedwait(&pipe, nullptr, &now);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
  }
  {
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
  }
  finished.notify_one();
  watchdog.join();
  if (xcb_connection_has_error(made)) {
    // libxcb has closed `given` already.
    std::lock_guard<std::mutex> lock(held_mutex);
    let_go(given);
    return nullptr;
  }
  if (fired) {
    disconnect_display(made);
    return nullptr;
  }
  return made;
}

}  // namespace

bool ready_by(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      errno = ETIMEDOUT;
      return false;
    }
    pollfd socket = {fd, events, 0};
    int ready = poll(&socket, 1, static_cast<int>(left.count()));
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
}

xcb_connection_t *connect_display(const std::string &display, int &screen,
                                  Clock::time_point deadline) {
  DisplayName name;
  if (!parse_display(display.c_str(), name)) return nullptr;
  int fd = open_display(name, deadline);
  if (fd < 0) return nullptr;
  xcb_connection_t *connection = set_up(fd, name.number, deadline);
  close_held(fd);
  screen = name.screen;
  return connection;
}

void disconnect_display(xcb_connection_t *connection) {
  std::lock_guard<std::mutex> lock(held_mutex);
  let_go(xcb_get_file_descriptor(connection));
  xcb_disconnect(connection);
}

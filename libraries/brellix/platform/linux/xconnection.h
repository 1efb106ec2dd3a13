// A connection to an X display that is live by a deadline, or none.
#ifndef BRELLIX_LINUX_XCONNECTION_H
#define BRELLIX_LINUX_XCONNECTION_H

#include <xcb/xcb.h>

#include <chrono>
#include <string>

using Clock = std::chrono::steady_clock;

// A connection to `display` (a DISPLAY value) whose setup the server has answered by
// `deadline`, with the screen number the name gives; null when there is none by then.
// Nothing of a failed attempt outlives the call: no thread, no descriptor. A name that
// does not parse and a socket that is missing or refused fail at once, on this thread.
xcb_connection_t *connect_display(const std::string &display, int &screen,
                                  Clock::time_point deadline);

// Waits until `fd` is ready for poll() `events`; false once the deadline has passed or
// poll() fails.
bool ready_by(int fd, short events, Clock::time_point deadline);

// Ends a connection that connect_display made.
void disconnect_display(xcb_connection_t *connection);

#endif

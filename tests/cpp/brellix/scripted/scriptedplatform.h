// A scripted stand-in for the Windows interfaces brellix calls: every call is recorded
// in `calls()` and every result comes from `script()`. Linked only into the C++ tests.
#pragma once

#include "platform.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace scripted {

struct Property {
  VARTYPE vt = VT_EMPTY;
  int32_t number = 0;        // VT_I4, VT_UI4, VT_I2
  std::wstring text;         // VT_BSTR
  bool null_string = false;  // VT_BSTR with a null pointer
  HRESULT get_result = S_OK; // a failing Get leaves the variant alone

  static Property string(const std::wstring &text);
  static Property i4(int32_t number);
  static Property of_type(VARTYPE vt, int32_t number = 0);
};

struct Object {
  std::map<std::string, Property> properties;
};

// One pass of Next: an object (S_OK, count 1) or a failure with count 0.
struct Step {
  bool has_object = true;
  Object object;
  HRESULT result = S_OK;
};
Step object_step(const std::map<std::string, Property> &properties);
Step failure_step(HRESULT result);

struct QueryRun {
  HRESULT exec_result = S_OK;
  bool null_enumerator = false;
  std::vector<Step> steps;  // then WBEM_S_FALSE
};

struct Monitor {
  std::string device;
  int caps[4] = {0, 0, 0, 0};  // DESKTOPVERTRES, DESKTOPHORZRES, VERTSIZE, HORZSIZE
  bool info_fails = false;
  int info_errno = 0;
  bool create_fails = false;
  bool delete_fails = false;
};

struct Script {
  HRESULT co_initialize = S_OK;
  HRESULT security = S_OK;
  HRESULT create_instance = S_OK;
  HRESULT connect_server = S_OK;
  HRESULT proxy_blanket = S_OK;
  // By exact WQL text; runs are used in order and the last one repeats. A text with no
  // script yields no object.
  std::map<std::string, std::vector<QueryRun>> queries;
  int cpuid_leaf1[4] = {0, 0, 0, 0};
  std::vector<Monitor> monitors;
  std::function<void()> on_exec_query;
};

Script &script();
std::vector<std::string> &calls();
// COM objects and system strings alive now.
int live_objects();
int live_strings();
// Forgets the script, the calls and the query run counters.
void reset();
// Number of recorded calls that start with `prefix`.
int count_calls(const std::string &prefix);

}  // namespace scripted

#include "scriptedplatform.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <set>

namespace scripted {

namespace {

Script the_script;
std::vector<std::string> the_calls;
std::map<std::string, size_t> runs_done;
int objects_alive = 0;
std::set<const void *> strings_alive;

std::string narrow(const wchar_t *text) {
  if (text == nullptr) return "(null)";
  std::string out;
  for (; *text; ++text) out += *text < 0x80 ? static_cast<char>(*text) : '?';
  return out;
}

bool lookup(const std::map<std::string, Property> &properties, const std::string &name,
            const Property *&found) {
  for (const auto &entry : properties)
    if (strcasecmp(entry.first.c_str(), name.c_str()) == 0) {
      found = &entry.second;
      return true;
    }
  return false;
}

std::string bstr_text(const BSTR text) {
  if (text == nullptr) return "(null)";
  if (strings_alive.count(text) == 0) return "(not a BSTR)";
  return narrow(text);
}

template <typename Interface>
class Counted : public Interface {
 public:
  explicit Counted(const char *name) : name_(name) { ++objects_alive; }
  ~Counted() override { --objects_alive; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    calls().push_back(std::string("Release(") + name_ + ")");
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  const char *name_;
  ULONG references_ = 1;
};

class ScriptedObject : public Counted<IWbemClassObject> {
 public:
  explicit ScriptedObject(Object object) : Counted("object"), object_(std::move(object)) {}
  HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG flags, VARIANT *value, CIMTYPE *type,
                                LONG *flavor) override {
    calls().push_back("Get(" + narrow(name) + "," + std::to_string(flags) + "," +
                      (type ? "type" : "null") + "," + (flavor ? "flavor" : "null") + ")");
    const Property *property = nullptr;
    if (!lookup(object_.properties, narrow(name), property)) return WBEM_E_NOT_FOUND;
    if (FAILED(property->get_result)) return property->get_result;
    value->vt = property->vt;
    if (property->vt == VT_BSTR)
      value->bstrVal = property->null_string ? nullptr : SysAllocString(property->text.c_str());
    else if (property->vt == VT_I2)
      value->iVal = static_cast<SHORT>(property->number);
    else
      value->lVal = property->number;
    return property->get_result;
  }

 private:
  Object object_;
};

class ScriptedEnumerator : public Counted<IEnumWbemClassObject> {
 public:
  explicit ScriptedEnumerator(std::vector<Step> steps)
      : Counted("enumerator"), steps_(std::move(steps)) {}
  HRESULT STDMETHODCALLTYPE Next(LONG timeout, ULONG count, IWbemClassObject **objects,
                                 ULONG *returned) override {
    calls().push_back("Next(" + std::to_string(static_cast<uint32_t>(timeout)) + "," +
                      std::to_string(count) + ")");
    if (next_ >= steps_.size()) {
      *returned = 0;
      return WBEM_S_FALSE;
    }
    const Step &step = steps_[next_++];
    if (!step.has_object) {
      *returned = 0;
      return step.result;
    }
    objects[0] = new ScriptedObject(step.object);
    *returned = 1;
    return step.result;
  }

 private:
  std::vector<Step> steps_;
  size_t next_ = 0;
};

class ScriptedServices : public Counted<IWbemServices> {
 public:
  ScriptedServices() : Counted("services") {}
  HRESULT STDMETHODCALLTYPE ExecQuery(const BSTR language, const BSTR query, LONG flags,
                                      IWbemContext *context,
                                      IEnumWbemClassObject **enumerator) override {
    calls().push_back("ExecQuery(" + bstr_text(language) + "|" + bstr_text(query) + "|" +
                      std::to_string(flags) + "|" + (context ? "context" : "null") + ")");
    if (the_script.on_exec_query) the_script.on_exec_query();
    const std::string text = narrow(query);
    QueryRun run;
    auto found = the_script.queries.find(text);
    if (found != the_script.queries.end() && !found->second.empty()) {
      size_t index = runs_done[text]++;
      if (index >= found->second.size()) index = found->second.size() - 1;
      run = found->second[index];
    }
    if (FAILED(run.exec_result)) return run.exec_result;
    *enumerator = run.null_enumerator ? nullptr : new ScriptedEnumerator(run.steps);
    return run.exec_result;
  }
};

class ScriptedLocator : public Counted<IWbemLocator> {
 public:
  ScriptedLocator() : Counted("locator") {}
  HRESULT STDMETHODCALLTYPE ConnectServer(const BSTR resource, const BSTR user,
                                          const BSTR password, const BSTR locale, LONG flags,
                                          const BSTR authority, IWbemContext *context,
                                          IWbemServices **services) override {
    calls().push_back("ConnectServer(" + bstr_text(resource) + "," +
                      (user || password || locale || authority || context ? "extra" : "null") +
                      "," + std::to_string(flags) + ")");
    if (FAILED(the_script.connect_server)) return the_script.connect_server;
    *services = new ScriptedServices();
    return the_script.connect_server;
  }
};

}  // namespace

Property Property::string(const std::wstring &text) {
  Property p;
  p.vt = VT_BSTR;
  p.text = text;
  return p;
}
Property Property::i4(int32_t number) {
  Property p;
  p.vt = VT_I4;
  p.number = number;
  return p;
}
Property Property::of_type(VARTYPE vt, int32_t number) {
  Property p;
  p.vt = vt;
  p.number = number;
  return p;
}

Step object_step(const std::map<std::string, Property> &properties) {
  Step step;
  step.object.properties = properties;
  return step;
}
Step failure_step(HRESULT result) {
  Step step;
  step.has_object = false;
  step.result = result;
  return step;
}

Script &script() { return the_script; }
std::vector<std::string> &calls() { return the_calls; }
int live_objects() { return objects_alive; }
int live_strings() { return static_cast<int>(strings_alive.size()); }
void reset() {
  the_script = Script();
  the_calls.clear();
  runs_done.clear();
}
int count_calls(const std::string &prefix) {
  int count = 0;
  for (const auto &call : the_calls)
    if (call.rfind(prefix, 0) == 0) ++count;
  return count;
}

}  // namespace scripted

using scripted::calls;
using scripted::script;

HRESULT CoInitializeEx(LPVOID reserved, DWORD coinit) {
  calls().push_back("CoInitializeEx(" + std::string(reserved ? "reserved" : "null") + "," +
                    std::to_string(coinit) + ")");
  return script().co_initialize;
}

void CoUninitialize() { calls().push_back("CoUninitialize"); }

HRESULT CoInitializeSecurity(PSECURITY_DESCRIPTOR descriptor, LONG count,
                             SOLE_AUTHENTICATION_SERVICE *services, void *reserved1,
                             DWORD authn_level, DWORD imp_level, void *auth_list,
                             DWORD capabilities, void *reserved3) {
  bool nulls = !descriptor && !services && !reserved1 && !auth_list && !reserved3;
  calls().push_back("CoInitializeSecurity(" + std::string(nulls ? "null" : "extra") + "," +
                    std::to_string(count) + "," + std::to_string(authn_level) + "," +
                    std::to_string(imp_level) + "," + std::to_string(capabilities) + ")");
  return script().security;
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                         LPVOID *object) {
  calls().push_back(std::string("CoCreateInstance(") +
                    (clsid == CLSID_WbemLocator ? "WbemLocator" : "other") + "," +
                    (outer ? "outer" : "null") + "," + std::to_string(context) + "," +
                    (iid == IID_IWbemLocator ? "IWbemLocator" : "other") + ")");
  if (FAILED(script().create_instance)) return script().create_instance;
  *object = static_cast<IWbemLocator *>(new scripted::ScriptedLocator());
  return script().create_instance;
}

HRESULT CoSetProxyBlanket(IUnknown *proxy, DWORD authn_service, DWORD authz_service,
                          OLECHAR *principal, DWORD authn_level, DWORD imp_level,
                          RPC_AUTH_IDENTITY_HANDLE identity, DWORD capabilities) {
  calls().push_back("CoSetProxyBlanket(" + std::string(proxy ? "services" : "null") + "," +
                    std::to_string(authn_service) + "," + std::to_string(authz_service) + "," +
                    (principal || identity ? "extra" : "null") + "," +
                    std::to_string(authn_level) + "," + std::to_string(imp_level) + "," +
                    std::to_string(capabilities) + ")");
  return script().proxy_blanket;
}

BSTR SysAllocStringLen(const OLECHAR *text, UINT length) {
  auto *block = static_cast<char *>(std::malloc(sizeof(uint32_t) + (length + 1) * sizeof(OLECHAR)));
  *reinterpret_cast<uint32_t *>(block) = static_cast<uint32_t>(length * sizeof(OLECHAR));
  BSTR string = reinterpret_cast<BSTR>(block + sizeof(uint32_t));
  if (text) std::memcpy(string, text, length * sizeof(OLECHAR));
  string[length] = 0;
  scripted::strings_alive.insert(string);
  return string;
}

BSTR SysAllocString(const OLECHAR *text) {
  if (text == nullptr) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(std::wcslen(text)));
}

void SysFreeString(BSTR text) {
  if (text == nullptr) return;
  scripted::strings_alive.erase(text);
  std::free(reinterpret_cast<char *>(text) - sizeof(uint32_t));
}

UINT SysStringLen(BSTR text) {
  if (text == nullptr) return 0;
  return *reinterpret_cast<uint32_t *>(reinterpret_cast<char *>(text) - sizeof(uint32_t)) /
         sizeof(OLECHAR);
}

void VariantInit(VARIANT *value) {
  std::memset(value, 0, sizeof *value);
  value->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT *value) {
  calls().push_back("VariantClear");
  if (value->vt == VT_BSTR) SysFreeString(value->bstrVal);
  VariantInit(value);
  return S_OK;
}

void __cpuid(int registers[4], int leaf) {
  calls().push_back("cpuid(" + std::to_string(leaf) + ")");
  for (int i = 0; i < 4; ++i) registers[i] = leaf == 1 ? script().cpuid_leaf1[i] : 0;
}

// ---- Display: monitor i has the handle i + 1 and, when created, the device context i + 1.

BOOL EnumDisplayMonitors(HDC hdc, LPCRECT clip, MONITORENUMPROC callback, LPARAM data) {
  calls().push_back(std::string("EnumDisplayMonitors(") + (hdc ? "hdc" : "null") + "," +
                    (clip ? "clip" : "null") + ")");
  for (size_t i = 0; i < script().monitors.size(); ++i) {
    RECT rect{0, 0, 0, 0};
    if (!callback(reinterpret_cast<HMONITOR>(i + 1), nullptr, &rect, data)) break;
  }
  return TRUE;
}

BOOL GetMonitorInfoA(HMONITOR monitor, LPMONITORINFO info) {
  size_t index = reinterpret_cast<size_t>(monitor) - 1;
  calls().push_back("GetMonitorInfoA(" + std::to_string(index) + "," +
                    std::to_string(info->cbSize) + ")");
  const scripted::Monitor &m = script().monitors.at(index);
  if (m.info_fails) {
    errno = m.info_errno;
    return FALSE;
  }
  auto *extended = static_cast<MONITORINFOEXA *>(info);
  std::strncpy(extended->szDevice, m.device.c_str(), CCHDEVICENAME - 1);
  extended->szDevice[CCHDEVICENAME - 1] = '\0';
  return TRUE;
}

HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODEA *init) {
  calls().push_back(std::string("CreateDCA(") + (driver ? driver : "null") + "," +
                    (device ? device : "null") + "," + (output || init ? "extra" : "null") + ")");
  for (size_t i = 0; i < script().monitors.size(); ++i)
    if (device && script().monitors[i].device == device)
      return script().monitors[i].create_fails ? nullptr : reinterpret_cast<HDC>(i + 1);
  return nullptr;
}

int GetDeviceCaps(HDC hdc, int index) {
  calls().push_back("GetDeviceCaps(" + std::to_string(index) + ")");
  if (hdc == nullptr) return 0;
  const scripted::Monitor &m = script().monitors.at(reinterpret_cast<size_t>(hdc) - 1);
  switch (index) {
    case DESKTOPVERTRES: return m.caps[0];
    case DESKTOPHORZRES: return m.caps[1];
    case VERTSIZE: return m.caps[2];
    case HORZSIZE: return m.caps[3];
    default: return 0;
  }
}

BOOL DeleteDC(HDC hdc) {
  calls().push_back(std::string("DeleteDC(") + (hdc ? "hdc" : "null") + ")");
  if (hdc == nullptr) return FALSE;
  return script().monitors.at(reinterpret_cast<size_t>(hdc) - 1).delete_fails ? FALSE : TRUE;
}

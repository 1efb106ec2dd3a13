// brellix's WMI connection and monitor enumeration on a real COM, WMI and display
// implementation: Wine's. Each result is checked against what that implementation
// answers when asked directly, through the bare interfaces. Where Wine answers
// differently from Windows, the expectation is Wine's and says so.
//
// Usage: brellix_wine_test.exe [--monitor W H WMM HMM]...
// Each --monitor is one expected monitor, in the system's order (pixels, millimetres).

#include "monitorenumerator.h"
#include "wmiconnection.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

int failures = 0;
const char *current_case = "";

std::string hex(HRESULT value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(static_cast<ULONG>(value)));
  return text;
}

std::string show(const std::string &value) { return "\"" + value + "\""; }
std::string show(const char *value) { return show(std::string(value)); }
std::string show(bool value) { return value ? "true" : "false"; }
std::string show(long value) { return std::to_string(value) + " (" + hex(value) + ")"; }
std::string show(int value) { return show(static_cast<long>(value)); }
std::string show(unsigned value) { return std::to_string(value); }
std::string show(unsigned long long value) { return std::to_string(value); }

template <typename T>
std::string show(const std::vector<T> &values) {
  std::string text = "[";
  for (size_t i = 0; i < values.size(); ++i) text += (i ? ", " : "") + show(values[i]);
  return text + "]";
}

void fail(int line, const std::string &what) {
  ++failures;
  std::printf("  FAILED %s, line %d: %s\n", current_case, line, what.c_str());
}

#define CHECK(condition) \
  do { \
    if (!(condition)) fail(__LINE__, #condition); \
  } while (0)

#define CHECK_EQ(actual, expected) \
  do { \
    const auto &a_ = (actual); \
    const auto &e_ = (expected); \
    if (!(a_ == e_)) fail(__LINE__, #actual " is " + show(a_) + ", expected " + show(e_)); \
  } while (0)

std::string narrow(const std::wstring &wide) {
  // The values compared here are ASCII; anything else shows as '?'.
  std::string text;
  for (wchar_t c : wide) text += c < 0x80 ? static_cast<char>(c) : '?';
  return text;
}

// ---- The bare interfaces, without WmiConnection.

struct RawObject {
  HRESULT get = S_OK;
  VARTYPE vt = VT_EMPTY;
  CIMTYPE cim = -1;
  std::string text;
  LONG number = 0;
};

struct RawAnswer {
  HRESULT exec = E_FAIL;
  HRESULT end = E_FAIL;  // what Next answered when nothing more came
  std::vector<RawObject> objects;
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const auto &object : objects) out.push_back(object.text);
    return out;
  }
};

class RawWmi {
 public:
  RawWmi() {
    HRESULT result = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWbemLocator, reinterpret_cast<LPVOID *>(&locator_));
    if (FAILED(result)) return;
    BSTR name = SysAllocString(L"ROOT\\CIMV2");
    locator_->ConnectServer(name, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services_);
    SysFreeString(name);
  }
  ~RawWmi() {
    if (services_) services_->Release();
    if (locator_) locator_->Release();
  }
  bool ready() const { return services_ != nullptr; }

  RawAnswer query(const std::wstring &wql, const wchar_t *property) {
    RawAnswer answer;
    if (!services_) return answer;
    IEnumWbemClassObject *enumerator = nullptr;
    BSTR language = SysAllocString(L"WQL");
    BSTR text = SysAllocString(wql.c_str());
    answer.exec = services_->ExecQuery(language, text,
                                       WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                       nullptr, &enumerator);
    SysFreeString(text);
    SysFreeString(language);
    if (enumerator == nullptr) return answer;
    for (;;) {
      IWbemClassObject *object = nullptr;
      ULONG returned = 0;
      HRESULT next = enumerator->Next(WBEM_INFINITE, 1, &object, &returned);
      if (returned == 0) {
        answer.end = next;
        break;
      }
      RawObject raw;
      VARIANT value;
      VariantInit(&value);
      raw.get = object->Get(property, 0, &value, &raw.cim, nullptr);
      raw.vt = value.vt;
      if (value.vt == VT_BSTR && value.bstrVal) raw.text = narrow(value.bstrVal);
      if (value.vt == VT_I4) raw.number = value.lVal;
      VariantClear(&value);
      object->Release();
      answer.objects.push_back(raw);
    }
    enumerator->Release();
    return answer;
  }

 private:
  IWbemLocator *locator_ = nullptr;
  IWbemServices *services_ = nullptr;
};

// What the connection writes to the standard error stream while `work` runs.
std::string stderr_of(const std::function<void()> &work) {
  char directory[MAX_PATH], path[MAX_PATH];
  int file = -1;
  if (GetTempPathA(MAX_PATH, directory) && GetTempFileNameA(directory, "brx", 0, path))
    file = _open(path, _O_RDWR | _O_TRUNC | _O_BINARY);
  if (file < 0) {
    work();
    return "<no temporary file>";
  }
  std::fflush(stderr);
  int saved = _dup(2);
  _dup2(file, 2);
  work();
  std::fflush(stderr);
  _dup2(saved, 2);
  _close(saved);
  std::string text;
  _lseek(file, 0, SEEK_SET);
  char chunk[256];
  for (int n; (n = _read(file, chunk, sizeof chunk)) > 0;) text.append(chunk, n);
  _close(file);
  DeleteFileA(path);
  return text;
}

std::string processor_id_from_cpuid() {
  int registers[4];
  __cpuid(registers, 1);
  char text[17];
  std::snprintf(text, sizeof text, "%08X%08X", static_cast<unsigned>(registers[3]),
                static_cast<unsigned>(registers[0]));
  return text;
}

const wchar_t kDiskQuery[] = L"SELECT * FROM Win32_DiskDrive WHERE InterfaceType != \"USB\"";

// ---- COM: apartments, security, and what the end of a connection gives back.

void connection_on_a_thread_without_com() {
  bool connected = false, initialized = false;
  HRESULT status = E_FAIL;
  std::string text = "-";
  bool holds_both = false;
  std::string written = stderr_of([&] {
    WmiConnection connection;
    connected = connection.connect("ROOT\\CIMV2") == 0;
    initialized = connection.com_initialized;
    status = connection.status;
    text = connection.error_text;
    holds_both = connection.locator != nullptr && connection.services != nullptr;
  });
  CHECK(connected);
  CHECK(initialized);
  CHECK(holds_both);
  CHECK_EQ(status, S_OK);
  CHECK_EQ(text, "");
  CHECK_EQ(written, "");  // a clean connection ends silently
  // Its own initialisation was undone: the thread is back to no apartment.
  CHECK_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  CoUninitialize();
}

void connection_on_a_thread_already_in_com() {
  CHECK_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  {
    WmiConnection connection;
    CHECK_EQ(connection.connect("ROOT\\CIMV2"), 0);
    CHECK(!connection.com_initialized);  // S_FALSE: the thread's own apartment
    CHECK_EQ(connection.status, S_OK);
    // Security was set by the first connection of the process. Windows answers a second
    // CoInitializeSecurity with RPC_E_TOO_LATE (which connect accepts); Wine sets it again.
    CHECK_EQ(CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                  RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr),
             S_OK);
  }
  // The connection did not uninitialise the thread's apartment, and its accepted
  // S_FALSE counts as one more initialisation that nobody undoes.
  CHECK_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
  for (int i = 0; i < 3; ++i) CoUninitialize();
  CHECK_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);  // no apartment left
  CoUninitialize();

  CHECK_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  {
    WmiConnection connection;
    CHECK_EQ(connection.connect("ROOT\\CIMV2"), 0);  // RPC_E_CHANGED_MODE is accepted
    CHECK(!connection.com_initialized);
    CHECK_EQ(connection.status, S_OK);
    std::vector<std::string> ids;
    CHECK_EQ(connection.query_processor_ids(ids, false), 0);
    CHECK_EQ(ids, std::vector<std::string>{processor_id_from_cpuid()});
    CHECK_EQ(connection.status, S_OK);
  }
  CHECK_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
  CoUninitialize();
  CoUninitialize();
}

void virtualization_namespace_is_absent() {
  int connected = -1;
  HRESULT status = S_OK;
  std::string text, status_text;
  bool locator = false, services = true;
  std::string written = stderr_of([&] {
    WmiConnection connection;
    connected = connection.connect("ROOT\\virtualization");
    status = connection.status;
    text = connection.error_text;
    status_text = connection.status_text();
    locator = connection.locator != nullptr;
    services = connection.services != nullptr;
  });
  CHECK_EQ(connected, 1);
  CHECK_EQ(status, static_cast<HRESULT>(WBEM_E_INVALID_NAMESPACE));
  CHECK_EQ(text, "\nCould not connect to WMI");
  CHECK_EQ(status_text, "0x8004100e");
  CHECK(locator);
  CHECK(!services);
  CHECK_EQ(written, "\nCould not connect to WMI - 0x8004100E\n");
}

// ---- The fixed queries against the same queries asked directly.

void processor_ids_are_the_cpuid_value() {
  WmiConnection connection;
  RawWmi raw;
  CHECK(raw.ready());
  CHECK_EQ(connection.connect("ROOT\\CIMV2"), 0);
  std::vector<std::string> first, all;
  CHECK_EQ(connection.query_processor_ids(first, false), 0);
  CHECK_EQ(connection.status, S_OK);
  CHECK_EQ(first, std::vector<std::string>{processor_id_from_cpuid()});
  CHECK_EQ(connection.query_processor_ids(all, true), 0);
  CHECK_EQ(connection.status, static_cast<HRESULT>(WBEM_S_FALSE));
  RawAnswer direct = raw.query(L"SELECT * FROM Win32_Processor", L"ProcessorId");
  CHECK_EQ(all, direct.texts());
  CHECK(!direct.objects.empty() && direct.objects[0].vt == VT_BSTR);
}

void product_and_baseboard_match_wmi() {
  WmiConnection connection;
  RawWmi raw;
  CHECK_EQ(connection.connect("ROOT\\CIMV2"), 0);
  std::vector<std::string> uuids, boards;
  CHECK_EQ(connection.query_product_uuids(uuids), 0);
  CHECK_EQ(connection.status, S_OK);
  // "uuid" is asked in lower case; WMI matches property names without regard to case.
  RawAnswer product = raw.query(L"SELECT * FROM Win32_ComputerSystemProduct", L"UUID");
  CHECK(!product.objects.empty());
  if (!product.objects.empty()) CHECK_EQ(uuids, std::vector<std::string>{product.objects[0].text});
  CHECK(!uuids.empty() && uuids[0].size() == 36 && uuids[0][8] == '-' && uuids[0][23] == '-' &&
        uuids[0].find_first_not_of("0123456789ABCDEFabcdef-") == std::string::npos);

  CHECK_EQ(connection.query_baseboard_serials(boards), 0);
  CHECK_EQ(connection.status, S_OK);
  RawAnswer board = raw.query(L"SELECT * FROM Win32_BaseBoard", L"SerialNumber");
  CHECK(!board.objects.empty());
  if (!board.objects.empty()) CHECK_EQ(boards, std::vector<std::string>{board.objects[0].text});
}

void disks_match_wmi() {
  WmiConnection connection;
  RawWmi raw;
  CHECK_EQ(connection.connect("ROOT\\CIMV2"), 0);

  RawAnswer direct = raw.query(kDiskQuery, L"SerialNumber");
  CHECK_EQ(direct.exec, S_OK);
  CHECK_EQ(direct.end, static_cast<HRESULT>(WBEM_S_FALSE));
  CHECK(!direct.objects.empty());  // C: at least

  std::vector<std::string> serials;
  CHECK_EQ(connection.query_disk_serials(serials, true), 0);
  CHECK_EQ(connection.status, static_cast<HRESULT>(WBEM_S_FALSE));
  CHECK_EQ(serials, direct.texts());
  // Wine gives every disk the same made-up serial number.
  for (const auto &serial : serials) CHECK_EQ(serial, "WINEHDISK");

  std::vector<std::string> first;
  CHECK_EQ(connection.query_disk_serials(first, false), 0);
  CHECK_EQ(connection.status, S_OK);
  CHECK_EQ(first.size(), 1u);

  // Wine's disks have no Signature property (Windows reports it as VT_I4, or VT_NULL
  // for a disk without one): Get fails and leaves the variant empty, which still gives
  // one entry of 0 per disk.
  std::vector<uint32_t> signatures;
  CHECK_EQ(connection.query_disk_signatures(signatures, true), 0);
  CHECK_EQ(connection.status, static_cast<HRESULT>(WBEM_S_FALSE));
  CHECK_EQ(signatures, std::vector<uint32_t>(serials.size(), 0));
  for (const auto &object : raw.query(kDiskQuery, L"Signature").objects) {
    CHECK_EQ(object.get, static_cast<HRESULT>(WBEM_E_NOT_FOUND));
    CHECK_EQ(object.vt, VT_EMPTY);
  }

  // Disk device ids: Windows writes \\.\PHYSICALDRIVE<n>; Wine doubles each backslash.
  RawAnswer ids = raw.query(kDiskQuery, L"DeviceID");
  for (size_t i = 0; i < ids.objects.size(); ++i)
    CHECK_EQ(ids.objects[i].text, "\\\\\\\\.\\\\PHYSICALDRIVE" + std::to_string(i));
  for (const auto &object : raw.query(kDiskQuery, L"InterfaceType").objects)
    CHECK_EQ(object.text, "IDE");
}

void property_types_follow_the_variant() {
  WmiConnection connection;
  RawWmi raw;
  CHECK_EQ(connection.connect("ROOT\\CIMV2"), 0);
  const std::string all_disks = "SELECT * FROM Win32_DiskDrive";

  // An unsigned 32-bit property arrives as VT_I4 with the CIM type uint32, as on Windows.
  RawAnswer index = raw.query(L"SELECT * FROM Win32_DiskDrive", L"Index");
  std::vector<uint32_t> expected;
  for (const auto &object : index.objects) {
    CHECK_EQ(object.vt, VT_I4);
    CHECK_EQ(object.cim, static_cast<CIMTYPE>(CIM_UINT32));
    expected.push_back(static_cast<uint32_t>(object.number));
  }
  std::vector<uint32_t> numbers;
  CHECK_EQ(connection.query_uint_property(all_disks, "Index", numbers, true), 0);
  CHECK_EQ(numbers, expected);
  CHECK(!numbers.empty() && numbers[0] == 0);

  // A value of the other kind gives the empty entry, one per object.
  std::vector<std::string> texts;
  CHECK_EQ(connection.query_string_property(all_disks, "Index", texts, true), 0);
  CHECK_EQ(texts, std::vector<std::string>(expected.size(), ""));
  std::vector<uint32_t> zeros;
  CHECK_EQ(connection.query_uint_property(all_disks, "DeviceID", zeros, true), 0);
  CHECK_EQ(zeros, std::vector<uint32_t>(expected.size(), 0));

  // A property the class does not have: Get fails, the entry is empty, the loop goes on.
  std::vector<std::string> missing;
  CHECK_EQ(connection.query_string_property(all_disks, "NoSuchProperty", missing, true), 0);
  CHECK_EQ(missing, std::vector<std::string>(expected.size(), ""));
}

void refused_queries() {
  WmiConnection connection;
  CHECK_EQ(connection.connect("ROOT\\CIMV2"), 0);
  std::vector<std::string> list{"kept"};
  CHECK_EQ(connection.query_string_property("SELEKT * FROM Win32_Processor", "ProcessorId",
                                            list, true),
           1);
  CHECK_EQ(connection.status, static_cast<HRESULT>(WBEM_E_INVALID_QUERY));
  CHECK_EQ(connection.error_text, "\nQuery for ProcessorId failed - ");
  CHECK_EQ(list, std::vector<std::string>{"kept"});

  // Windows refuses a class that does not exist (WBEM_E_INVALID_CLASS); Wine runs the
  // query and yields no object.
  CHECK_EQ(connection.query_string_property("SELECT * FROM Win32_NoSuchClass", "Name", list, true),
           0);
  CHECK_EQ(connection.status, static_cast<HRESULT>(WBEM_S_FALSE));
  CHECK_EQ(list, std::vector<std::string>{"kept"});
}

// ---- The system-disk lookup, step by step.

void system_disk_lookup() {
  RawWmi raw;
  RawAnswer drive = raw.query(L"SELECT SystemDrive from Win32_OperatingSystem", L"SystemDrive");
  CHECK_EQ(drive.texts(), std::vector<std::string>{"C:"});
  RawAnswer partition = raw.query(
      L"ASSOCIATORS OF {win32_logicaldisk.deviceid='C:'} WHERE ResultClass=Win32_DiskPartition",
      L"DeviceID");
  CHECK_EQ(partition.texts(), std::vector<std::string>{"Disk #0, Partition #0"});
  RawAnswer disk = raw.query(L"ASSOCIATORS OF {Win32_DiskPartition.DeviceID='Disk #0, "
                             L"Partition #0'} WHERE ResultClass=Win32_DiskDrive",
                             L"DeviceID");
  const std::string wine_id = "\\\\\\\\.\\\\PHYSICALDRIVE0";
  CHECK_EQ(disk.texts(), std::vector<std::string>{wine_id});

  // Windows' WQL reads a backslash in a literal as an escape, so the lookup doubles the
  // backslashes of \\.\ and names the disk. Wine compares the literal as written and
  // stores its ids doubled already: the id as Wine gave it names the disk, the escaped
  // text names nothing.
  RawAnswer as_given = raw.query(
      L"SELECT * FROM Win32_DiskDrive WHERE DeviceId='\\\\\\\\.\\\\PHYSICALDRIVE0'", L"SerialNumber");
  CHECK_EQ(as_given.texts(), std::vector<std::string>{"WINEHDISK"});
  RawAnswer escaped = raw.query(
      L"SELECT * FROM Win32_DiskDrive WHERE DeviceId='\\\\\\\\\\\\.\\\\\\PHYSICALDRIVE0'",
      L"SerialNumber");
  CHECK(escaped.objects.empty());

  // So under Wine the lookup gets as far as the disk and stops at its serial number.
  WmiConnection connection;
  CHECK_EQ(connection.connect("ROOT\\CIMV2"), 0);
  std::string serial = "unset";
  uint32_t signature = 7;
  CHECK_EQ(connection.query_system_disk(serial, signature), 1);
  CHECK_EQ(connection.error_text, "\nFailed to retrieve hard drive serial number. Return code: 0 result - ");
  CHECK_EQ(connection.status, static_cast<HRESULT>(WBEM_S_FALSE));
  CHECK_EQ(signature, 7u);
}

// ---- The text conversions, through the real runtime library's mbstowcs_s/wcstombs_s.

void conversions_through_the_runtime() {
  WmiConnection connection;
  WmiConnection::WideBuffer buffer;
  connection.to_wide("", buffer);
  CHECK_EQ(std::wstring(buffer) == L"", true);
  const std::string longest(149, 'a');
  connection.to_wide(longest, buffer);
  CHECK_EQ(narrow(buffer), longest);
  CHECK_EQ(connection.error_text, "");

  // Too long for the buffer: cut to 149 characters and reported (STRUNCATE is 80).
  connection.to_wide(std::string(150, 'b'), buffer);
  CHECK_EQ(narrow(buffer), std::string(149, 'b'));
  CHECK_EQ(connection.error_text,
           "\nWide chars conversion has failed. Error code: 80. num_converted: 150 length: 150");
  connection.error_text.clear();
  connection.to_wide(std::string(5000, 'd'), buffer);
  CHECK_EQ(narrow(buffer), std::string(149, 'd'));
  CHECK_EQ(connection.error_text,
           "\nWide chars conversion has failed. Error code: 80. num_converted: 150 length: 5000");

  const std::wstring fits(149, L'c'), too_long(150, L'c');
  CHECK_EQ(WmiConnection::to_narrow(fits.c_str(), fits.size()), std::string(149, 'c'));
  CHECK_EQ(WmiConnection::to_narrow(too_long.c_str(), too_long.size()), "");
  CHECK_EQ(WmiConnection::to_narrow(L"", 0), "");

  // The "C" locale maps bytes and wide characters up to 0xFF one to one; what lies
  // beyond has no byte, and the runtime's EILSEQ (42) is what reaches the text.
  CHECK_EQ(WmiConnection::to_narrow(L"caf\u00e9", 4), "caf\xe9");
  CHECK_EQ(WmiConnection::to_narrow(L"caf\u20ac", 4), "");
  connection.error_text.clear();
  connection.to_wide("caf\xe9", buffer);
  CHECK_EQ(std::wstring(buffer) == L"caf\u00e9", true);
  CHECK_EQ(connection.error_text, "");
  size_t converted = 0;
  char bytes[8];
  CHECK_EQ(wcstombs_s(&converted, bytes, sizeof bytes, L"\u20ac", _TRUNCATE), 42);
}

// ---- Monitors: the enumeration against the display functions asked directly.

struct ExpectedMonitor {
  unsigned width_px, height_px, width_mm, height_mm;
};
std::vector<ExpectedMonitor> expected_monitors;

BOOL CALLBACK collect_monitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  reinterpret_cast<std::vector<HMONITOR> *>(data)->push_back(monitor);
  return TRUE;
}

void monitors_match_the_display() {
  MonitorEnumerator enumerator;
  CHECK_EQ(enumerator.error_text, "");

  std::vector<HMONITOR> handles;
  EnumDisplayMonitors(nullptr, nullptr, collect_monitor, reinterpret_cast<LPARAM>(&handles));
  CHECK_EQ(enumerator.records.size(), handles.size());
  CHECK_EQ(enumerator.records.size(), expected_monitors.size());

  for (size_t i = 0; i < enumerator.records.size() && i < handles.size(); ++i) {
    const MonitorRecord &record = enumerator.records[i];
    MONITORINFOEXA info;
    info.cbSize = sizeof info;
    CHECK(GetMonitorInfoA(handles[i], &info));
    CHECK_EQ(record.device_name, std::string(info.szDevice));
    CHECK_EQ(record.device_name, "\\\\.\\DISPLAY" + std::to_string(i + 1));
    CHECK_EQ(record.width_px, static_cast<uint32_t>(info.rcMonitor.right - info.rcMonitor.left));
    CHECK_EQ(record.height_px, static_cast<uint32_t>(info.rcMonitor.bottom - info.rcMonitor.top));
    if (i < expected_monitors.size()) {
      const ExpectedMonitor &want = expected_monitors[i];
      CHECK_EQ(record.width_px, want.width_px);
      CHECK_EQ(record.height_px, want.height_px);
      CHECK_EQ(record.width_mm, want.width_mm);
      CHECK_EQ(record.height_mm, want.height_mm);
    }
  }
}

struct Case {
  const char *name;
  void (*run)();
};

}  // namespace

int main(int argc, char **argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--monitor") == 0 && i + 4 < argc) {
      ExpectedMonitor monitor;
      monitor.width_px = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
      monitor.height_px = static_cast<unsigned>(std::strtoul(argv[i + 2], nullptr, 10));
      monitor.width_mm = static_cast<unsigned>(std::strtoul(argv[i + 3], nullptr, 10));
      monitor.height_mm = static_cast<unsigned>(std::strtoul(argv[i + 4], nullptr, 10));
      expected_monitors.push_back(monitor);
      i += 4;
    } else {
      std::fprintf(stderr, "unknown argument: %s\n", argv[i]);
      return 2;
    }
  }

  const Case cases[] = {
      {"connection_on_a_thread_without_com", connection_on_a_thread_without_com},
      {"connection_on_a_thread_already_in_com", connection_on_a_thread_already_in_com},
      {"virtualization_namespace_is_absent", virtualization_namespace_is_absent},
      {"processor_ids_are_the_cpuid_value", processor_ids_are_the_cpuid_value},
      {"product_and_baseboard_match_wmi", product_and_baseboard_match_wmi},
      {"disks_match_wmi", disks_match_wmi},
      {"property_types_follow_the_variant", property_types_follow_the_variant},
      {"refused_queries", refused_queries},
      {"system_disk_lookup", system_disk_lookup},
      {"conversions_through_the_runtime", conversions_through_the_runtime},
      {"monitors_match_the_display", monitors_match_the_display},
  };
  // The first case needs a thread that has no apartment yet; the rest each bring their
  // own connection, and the raw checks need COM on this thread.
  int failed_cases = 0;
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const Case &c = cases[i];
    current_case = c.name;
    int before = failures;
    bool com = i >= 3;
    if (com) CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    c.run();
    if (com) CoUninitialize();
    std::printf("%s %s\n", failures == before ? "ok  " : "FAIL", c.name);
    if (failures != before) ++failed_cases;
    std::fflush(stdout);
  }
  std::printf("%d of %d cases failed\n", failed_cases,
              static_cast<int>(sizeof cases / sizeof cases[0]));
  return failed_cases == 0 ? 0 : 1;
}

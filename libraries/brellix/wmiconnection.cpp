#include "wmiconnection.h"

#include <cstdio>

WmiConnection::WmiConnection()
    : com_initialized(false), status(0), locator(nullptr), services(nullptr) {}

WmiConnection::~WmiConnection() {
  if (status != 0 || !error_text.empty())
    std::fprintf(stderr, "%s - 0x%X\n", error_text.c_str(), static_cast<unsigned>(status));
  if (services != nullptr) services->Release();
  if (locator != nullptr) locator->Release();
  // Only our own successful initialisation is undone; a thread that already had an
  // apartment keeps it.
  if (com_initialized) CoUninitialize();
}

int WmiConnection::connect(const std::string &name_space) {
  WideBuffer wide_namespace;
  to_wide(name_space, wide_namespace);

  HRESULT result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  com_initialized = result == S_OK;
  if (result == S_FALSE || result == RPC_E_CHANGED_MODE) {
    status = 0;
  } else {
    status = result;
    if (FAILED(result)) {
      error_text += "\nFailed to initialize COM library";
      return 1;
    }
  }

  result = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  if (result == RPC_E_TOO_LATE) {
    // The process's security was set already, by us or by the host.
    status = 0;
  } else {
    status = result;
    if (FAILED(result)) {
      error_text += "\nFailed to initialize security";
      return 1;
    }
  }

  status = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                            reinterpret_cast<LPVOID *>(&locator));
  if (FAILED(status)) {
    error_text += "\nFailed to create IWbemLocator object";
    return 1;
  }

  BSTR resource = SysAllocString(wide_namespace);
  status = locator->ConnectServer(resource, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                  &services);
  SysFreeString(resource);
  if (FAILED(status)) {
    error_text += "\nCould not connect to WMI";
    return 1;
  }

  status = CoSetProxyBlanket(services, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                             RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                             EOAC_NONE);
  if (FAILED(status)) {
    error_text += "\nCould not set proxy blanket";
    return 1;
  }
  return 0;
}

void WmiConnection::to_wide(const std::string &text, WideBuffer &buffer) {
  // Bounded by the buffer as well as by the text: an over-long text is cut to 149
  // characters and reported below.
  size_t size = text.size() + 1;
  if (size > kWideBufferSize) size = kWideBufferSize;
  size_t converted = 0;
  errno_t result = mbstowcs_s(&converted, buffer, size, text.c_str(), _TRUNCATE);
  if (result == 0 && converted == text.size() + 1) return;
  error_text += "\nWide chars conversion has failed. Error code: " + std::to_string(result) +
                ". num_converted: " + std::to_string(converted) +
                " length: " + std::to_string(text.size());
}

std::string WmiConnection::to_narrow(const wchar_t *wide, size_t /*count*/) {
  // Converted with truncation so that an over-long value never reaches the runtime's
  // invalid-parameter handler; only a value that converted whole is returned. The
  // length is not used as a bound: it counts wide characters, not bytes.
  if (wide == nullptr) return std::string();
  char buffer[kNarrowBufferSize];
  size_t converted = 0;
  if (wcstombs_s(&converted, buffer, sizeof buffer, wide, _TRUNCATE) != 0) return std::string();
  return std::string(buffer);
}

std::string WmiConnection::status_text() const {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(status));
  return text;
}

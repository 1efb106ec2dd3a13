// COM on Linux: per-thread apartments with their initialisation counts, the process's
// security flag, the WMI locator class, system strings and variants.
#include "../../platform.h"
#include "wmiprovider.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

enum class ApartmentKind { None, MultiThreaded, SingleThreaded };

struct Apartment {
  ApartmentKind kind = ApartmentKind::None;
  unsigned count = 0;
};

thread_local Apartment apartment;
std::atomic<bool> security_set{false};

}  // namespace

HRESULT CoInitializeEx(LPVOID reserved, DWORD coinit) {
  if (reserved != nullptr) return E_INVALIDARG;
  ApartmentKind wanted = (coinit & COINIT_APARTMENTTHREADED) ? ApartmentKind::SingleThreaded
                                                              : ApartmentKind::MultiThreaded;
  if (apartment.count == 0) {
    apartment.kind = wanted;
    apartment.count = 1;
    return S_OK;
  }
  if (apartment.kind != wanted) return RPC_E_CHANGED_MODE;
  ++apartment.count;
  return S_FALSE;
}

void CoUninitialize() {
  if (apartment.count == 0) return;
  if (--apartment.count == 0) apartment.kind = ApartmentKind::None;
}

HRESULT CoInitializeSecurity(PSECURITY_DESCRIPTOR, LONG, SOLE_AUTHENTICATION_SERVICE *, void *,
                             DWORD, DWORD, void *, DWORD, void *) {
  if (apartment.count == 0) return CO_E_NOTINITIALIZED;
  if (security_set.exchange(true)) return RPC_E_TOO_LATE;
  return S_OK;
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                         LPVOID *object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (apartment.count == 0) return CO_E_NOTINITIALIZED;
  if (clsid != CLSID_WbemLocator || !(context & CLSCTX_INPROC_SERVER) || outer != nullptr)
    return REGDB_E_CLASSNOTREG;
  if (iid != IID_IWbemLocator && iid != IID_IUnknown) return E_NOINTERFACE;
  *object = brellix_linux::create_locator("/");
  return *object != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT CoSetProxyBlanket(IUnknown *proxy, DWORD, DWORD, OLECHAR *, DWORD, DWORD,
                          RPC_AUTH_IDENTITY_HANDLE, DWORD) {
  // In-process objects have no proxy to configure; Windows accepts the call alike.
  return proxy == nullptr ? E_INVALIDARG : S_OK;
}

// A system string: its length in bytes stored just before the characters.
BSTR SysAllocStringLen(const OLECHAR *text, UINT length) {
  void *block = std::malloc(sizeof(uint32_t) + (static_cast<size_t>(length) + 1) * sizeof(OLECHAR));
  if (block == nullptr) return nullptr;
  *static_cast<uint32_t *>(block) = static_cast<uint32_t>(length * sizeof(OLECHAR));
  BSTR string = reinterpret_cast<BSTR>(static_cast<char *>(block) + sizeof(uint32_t));
  if (text != nullptr) std::memcpy(string, text, length * sizeof(OLECHAR));
  else std::memset(string, 0, length * sizeof(OLECHAR));
  string[length] = L'\0';
  return string;
}

BSTR SysAllocString(const OLECHAR *text) {
  if (text == nullptr) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(std::wcslen(text)));
}

void SysFreeString(BSTR text) {
  if (text != nullptr) std::free(reinterpret_cast<char *>(text) - sizeof(uint32_t));
}

UINT SysStringLen(BSTR text) {
  if (text == nullptr) return 0;
  uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<char *>(text) - sizeof(uint32_t), sizeof bytes);
  return bytes / sizeof(OLECHAR);
}

void VariantInit(VARIANT *value) {
  value->vt = VT_EMPTY;
  value->wReserved1 = value->wReserved2 = value->wReserved3 = 0;
  value->llVal = 0;
}

HRESULT VariantClear(VARIANT *value) {
  if (value == nullptr) return E_INVALIDARG;
  if (value->vt == VT_BSTR) SysFreeString(value->bstrVal);
  VariantInit(value);
  return S_OK;
}

void __cpuid(int registers[4], int leaf) {
#if defined(__x86_64__) || defined(__i386__)
  unsigned a, b, c, d;
  __asm__ volatile("cpuid" : "=a"(a), "=b"(b), "=c"(c), "=d"(d) : "a"(leaf), "c"(0));
  registers[0] = static_cast<int>(a);
  registers[1] = static_cast<int>(b);
  registers[2] = static_cast<int>(c);
  registers[3] = static_cast<int>(d);
#else
  (void)leaf;
  registers[0] = registers[1] = registers[2] = registers[3] = 0;
#endif
}

// The one header brellix's code includes for the system interfaces it uses.
// On Windows these are the real COM, WMI, display and intrinsic headers. Elsewhere
// they are our own declarations of the same surface, implemented by the Linux layer
// (platform/linux) or, in the C++ tests, by the scripted layer.
#pragma once

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <wbemidl.h>
#include <intrin.h>
#include <stdlib.h>

#else

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

// ---- Basic types: Windows' sizes, not the host's (long is 64-bit here).
typedef int32_t HRESULT;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef uint16_t USHORT;
typedef int16_t SHORT;
typedef uint8_t BYTE;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef int BOOL;
typedef unsigned int UINT;
typedef char CHAR;
typedef const char *LPCSTR;
typedef void *LPVOID;
typedef intptr_t LPARAM;
typedef wchar_t WCHAR;
typedef wchar_t OLECHAR;
typedef const wchar_t *LPCWSTR;
typedef OLECHAR *BSTR;
typedef WORD VARTYPE;
typedef LONG CIMTYPE;
typedef int errno_t;
typedef void *PSECURITY_DESCRIPTOR;
typedef void *RPC_AUTH_IDENTITY_HANDLE;

#define STDMETHODCALLTYPE
#define WINAPI
#define CALLBACK
#define TRUE 1
#define FALSE 0

#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)
#define BRELLIX_HR(value) static_cast<HRESULT>(static_cast<uint32_t>(value))

// ---- Result codes.
#define S_OK BRELLIX_HR(0x00000000u)
#define S_FALSE BRELLIX_HR(0x00000001u)
#define E_NOTIMPL BRELLIX_HR(0x80004001u)
#define E_NOINTERFACE BRELLIX_HR(0x80004002u)
#define E_POINTER BRELLIX_HR(0x80004003u)
#define E_FAIL BRELLIX_HR(0x80004005u)
#define E_OUTOFMEMORY BRELLIX_HR(0x8007000Eu)
#define E_INVALIDARG BRELLIX_HR(0x80070057u)
#define REGDB_E_CLASSNOTREG BRELLIX_HR(0x80040154u)
#define CO_E_NOTINITIALIZED BRELLIX_HR(0x800401F0u)
#define RPC_E_CHANGED_MODE BRELLIX_HR(0x80010106u)
#define RPC_E_TOO_LATE BRELLIX_HR(0x80010119u)

enum WBEMSTATUS : int32_t {
  WBEM_NO_ERROR = 0,
  WBEM_S_NO_ERROR = 0,
  WBEM_S_FALSE = 1,
  WBEM_E_FAILED = BRELLIX_HR(0x80041001u),
  WBEM_E_NOT_FOUND = BRELLIX_HR(0x80041002u),
  WBEM_E_INVALID_PARAMETER = BRELLIX_HR(0x80041008u),
  WBEM_E_INVALID_NAMESPACE = BRELLIX_HR(0x8004100Eu),
  WBEM_E_INVALID_CLASS = BRELLIX_HR(0x80041010u),
  WBEM_E_INVALID_QUERY = BRELLIX_HR(0x80041017u),
  WBEM_E_INVALID_QUERY_TYPE = BRELLIX_HR(0x80041018u),
};

enum WBEM_GENERIC_FLAG_TYPE {
  WBEM_FLAG_RETURN_IMMEDIATELY = 0x10,
  WBEM_FLAG_FORWARD_ONLY = 0x20,
};

enum WBEM_TIMEOUT_TYPE : uint32_t {
  WBEM_NO_WAIT = 0,
  WBEM_INFINITE = 0xFFFFFFFFu,
};

enum CIMTYPE_ENUMERATION {
  CIM_SINT32 = 3,
  CIM_STRING = 8,
  CIM_UINT32 = 19,
};

// ---- COM constants.
enum COINIT { COINIT_MULTITHREADED = 0x0, COINIT_APARTMENTTHREADED = 0x2 };
enum CLSCTX { CLSCTX_INPROC_SERVER = 0x1 };
enum EOLE_AUTHENTICATION_CAPABILITIES { EOAC_NONE = 0 };
#define RPC_C_AUTHN_LEVEL_DEFAULT 0
#define RPC_C_AUTHN_LEVEL_CALL 3
#define RPC_C_IMP_LEVEL_IMPERSONATE 3
#define RPC_C_AUTHN_WINNT 10
#define RPC_C_AUTHZ_NONE 0

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
typedef GUID IID;
typedef GUID CLSID;
typedef const GUID &REFIID;
typedef const GUID &REFCLSID;

inline bool operator==(const GUID &a, const GUID &b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}
inline bool operator!=(const GUID &a, const GUID &b) { return !(a == b); }

extern const CLSID CLSID_WbemLocator;
extern const IID IID_IUnknown;
extern const IID IID_IWbemLocator;
extern const IID IID_IWbemServices;
extern const IID IID_IEnumWbemClassObject;
extern const IID IID_IWbemClassObject;

// ---- Automation values.
enum VARENUM {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_BSTR = 8,
  VT_BOOL = 11,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_ARRAY = 0x2000,
};

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;
    ULONGLONG ullVal;
    LONG lVal;
    ULONG ulVal;
    SHORT iVal;
    USHORT uiVal;
    BYTE bVal;
    SHORT boolVal;
    BSTR bstrVal;
    void *byref;
  };
};

BSTR SysAllocString(const OLECHAR *text);
BSTR SysAllocStringLen(const OLECHAR *text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
void VariantInit(VARIANT *value);
HRESULT VariantClear(VARIANT *value);

// ---- COM interfaces: only the members brellix calls.
struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};
typedef IUnknown *LPUNKNOWN;

struct IWbemContext;

struct IWbemClassObject : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG flags, VARIANT *value, CIMTYPE *type,
                                        LONG *flavor) = 0;
};

struct IEnumWbemClassObject : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(LONG timeout, ULONG count, IWbemClassObject **objects,
                                         ULONG *returned) = 0;
};

struct IWbemServices : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE ExecQuery(const BSTR language, const BSTR query, LONG flags,
                                              IWbemContext *context,
                                              IEnumWbemClassObject **enumerator) = 0;
};

struct IWbemLocator : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE ConnectServer(const BSTR resource, const BSTR user,
                                                  const BSTR password, const BSTR locale,
                                                  LONG security_flags, const BSTR authority,
                                                  IWbemContext *context,
                                                  IWbemServices **services) = 0;
};

struct SOLE_AUTHENTICATION_SERVICE;

HRESULT CoInitializeEx(LPVOID reserved, DWORD coinit);
void CoUninitialize();
HRESULT CoInitializeSecurity(PSECURITY_DESCRIPTOR descriptor, LONG auth_service_count,
                             SOLE_AUTHENTICATION_SERVICE *auth_services, void *reserved1,
                             DWORD authn_level, DWORD imp_level, void *auth_list,
                             DWORD capabilities, void *reserved3);
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                         LPVOID *object);
HRESULT CoSetProxyBlanket(IUnknown *proxy, DWORD authn_service, DWORD authz_service,
                          OLECHAR *server_principal, DWORD authn_level, DWORD imp_level,
                          RPC_AUTH_IDENTITY_HANDLE auth_info, DWORD capabilities);

// ---- The runtime library's bounded conversions (Microsoft's semantics).
#define _TRUNCATE (static_cast<size_t>(-1))
#ifndef STRUNCATE
#define STRUNCATE 80
#endif
errno_t mbstowcs_s(size_t *converted, wchar_t *destination, size_t destination_words,
                   const char *source, size_t count);
errno_t wcstombs_s(size_t *converted, char *destination, size_t destination_bytes,
                   const wchar_t *source, size_t count);

// ---- Processor identification.
void __cpuid(int registers[4], int leaf);

// ---- Display.
struct HMONITOR__;
typedef HMONITOR__ *HMONITOR;
struct HDC__;
typedef HDC__ *HDC;

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
typedef RECT *LPRECT;
typedef const RECT *LPCRECT;

#define CCHDEVICENAME 32
struct MONITORINFO {
  DWORD cbSize;
  RECT rcMonitor;
  RECT rcWork;
  DWORD dwFlags;
};
typedef MONITORINFO *LPMONITORINFO;
struct MONITORINFOEXA : MONITORINFO {
  CHAR szDevice[CCHDEVICENAME];
};
static_assert(sizeof(MONITORINFOEXA) == 72, "MONITORINFOEXA has Windows' layout");

struct DEVMODEA;
typedef BOOL(CALLBACK *MONITORENUMPROC)(HMONITOR, HDC, LPRECT, LPARAM);

#define HORZSIZE 4
#define VERTSIZE 6
#define DESKTOPVERTRES 117
#define DESKTOPHORZRES 118

BOOL EnumDisplayMonitors(HDC hdc, LPCRECT clip, MONITORENUMPROC callback, LPARAM data);
BOOL GetMonitorInfoA(HMONITOR monitor, LPMONITORINFO info);
HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODEA *init);
int GetDeviceCaps(HDC hdc, int index);
BOOL DeleteDC(HDC hdc);

#endif

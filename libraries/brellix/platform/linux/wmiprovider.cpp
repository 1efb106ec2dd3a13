#include "wmiprovider.h"

#include "machinefacts.h"
#include "wql.h"

#include <atomic>
#include <memory>
#include <new>
#include <vector>

namespace brellix_linux {

namespace {

// No exception may cross into brellix: from there it would reach Python's C code and
// end the process.
template <typename Body>
HRESULT guarded(Body body) {
  try {
    return body();
  } catch (const std::bad_alloc &) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return WBEM_E_FAILED;
  }
}

template <typename Interface, const IID &Iid>
class ComObject : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == Iid) {
      AddRef();
      *object = static_cast<Interface *>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> references_{1};
};

class ClassObject : public ComObject<IWbemClassObject, IID_IWbemClassObject> {
 public:
  explicit ClassObject(Instance instance) : instance_(std::move(instance)) {}

  HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG, VARIANT *value, CIMTYPE *type,
                                LONG *flavor) override {
    if (name == nullptr) return WBEM_E_INVALID_PARAMETER;
    return guarded([&]() -> HRESULT {
      const Value *found = instance_.find(to_utf8(name));
      if (found == nullptr) return WBEM_E_NOT_FOUND;
      if (value != nullptr) {
        VariantInit(value);
        if (found->kind == Value::String) {
          value->vt = VT_BSTR;
          value->bstrVal = SysAllocString(from_utf8(found->text).c_str());
          if (value->bstrVal == nullptr) {
            value->vt = VT_EMPTY;
            return E_OUTOFMEMORY;
          }
        } else if (found->kind == Value::Int32) {
          value->vt = VT_I4;
          value->lVal = found->number;
        } else {
          value->vt = VT_NULL;
        }
      }
      if (type != nullptr) *type = found->kind == Value::Int32 ? CIM_UINT32 : CIM_STRING;
      if (flavor != nullptr) *flavor = 0;
      return WBEM_S_NO_ERROR;
    });
  }

 private:
  Instance instance_;
};

class Enumerator : public ComObject<IEnumWbemClassObject, IID_IEnumWbemClassObject> {
 public:
  explicit Enumerator(std::vector<Instance> instances) : instances_(std::move(instances)) {}

  HRESULT STDMETHODCALLTYPE Next(LONG, ULONG count, IWbemClassObject **objects,
                                 ULONG *returned) override {
    if (objects == nullptr || returned == nullptr || count == 0) return WBEM_E_INVALID_PARAMETER;
    *returned = 0;
    return guarded([&]() -> HRESULT {
      while (*returned < count && next_ < instances_.size()) {
        objects[*returned] = new ClassObject(std::move(instances_[next_]));
        ++next_;
        ++*returned;
      }
      return *returned == count ? WBEM_S_NO_ERROR : WBEM_S_FALSE;
    });
  }

 private:
  std::vector<Instance> instances_;
  size_t next_ = 0;
};

class Services : public ComObject<IWbemServices, IID_IWbemServices> {
 public:
  explicit Services(std::shared_ptr<MachineFacts> facts) : facts_(std::move(facts)) {}

  HRESULT STDMETHODCALLTYPE ExecQuery(const BSTR language, const BSTR query, LONG,
                                      IWbemContext *, IEnumWbemClassObject **enumerator) override {
    if (enumerator == nullptr || query == nullptr) return WBEM_E_INVALID_PARAMETER;
    *enumerator = nullptr;
    return guarded([&]() -> HRESULT {
      if (language == nullptr || !equal_ignoring_case(to_utf8(language), "WQL"))
        return WBEM_E_INVALID_QUERY_TYPE;
      std::vector<Instance> instances;
      HRESULT result = run_wql(*facts_, to_utf8(query), instances);
      if (FAILED(result)) return result;
      *enumerator = new Enumerator(std::move(instances));
      return WBEM_S_NO_ERROR;
    });
  }

 private:
  std::shared_ptr<MachineFacts> facts_;
};

class Locator : public ComObject<IWbemLocator, IID_IWbemLocator> {
 public:
  Locator(std::string root, std::optional<std::string> root_device)
      : root_(std::move(root)), root_device_(std::move(root_device)) {}

  HRESULT STDMETHODCALLTYPE ConnectServer(const BSTR resource, const BSTR, const BSTR,
                                          const BSTR, LONG, const BSTR, IWbemContext *,
                                          IWbemServices **services) override {
    if (services == nullptr) return WBEM_E_INVALID_PARAMETER;
    *services = nullptr;
    if (resource == nullptr) return WBEM_E_INVALID_NAMESPACE;
    return guarded([&]() -> HRESULT {
      std::string name = to_utf8(resource);
      for (char &c : name)
        if (c == '/') c = '\\';
      if (name.rfind("\\\\.\\", 0) == 0) name = name.substr(4);
      // ROOT\CIMV2 is the only namespace there is here.
      if (!equal_ignoring_case(name, "ROOT\\CIMV2")) return WBEM_E_INVALID_NAMESPACE;
      *services = new Services(std::make_shared<MachineFacts>(root_, root_device_));
      return WBEM_S_NO_ERROR;
    });
  }

 private:
  std::string root_;
  std::optional<std::string> root_device_;
};

}  // namespace

IWbemLocator *create_locator(const std::string &root,
                             const std::optional<std::string> &root_device) {
  try {
    return new Locator(root, root_device);
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

std::string to_utf8(const wchar_t *text) {
  std::string out;
  for (; *text != L'\0'; ++text) {
    uint32_t c = static_cast<uint32_t>(*text);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::wstring from_utf8(const std::string &text) {
  // Bytes that are not UTF-8 stand for themselves (as Latin-1), so nothing is dropped.
  std::wstring out;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    uint32_t code = length == 2 ? c & 0x1F : length == 3 ? c & 0x0F : c & 0x07;
    bool valid = length != 0 && i + length <= text.size();
    for (size_t k = 1; valid && k < length; ++k) {
      unsigned char d = static_cast<unsigned char>(text[i + k]);
      if ((d >> 6) != 2) valid = false;
      code = (code << 6) | (d & 0x3F);
    }
    if (length == 1) code = c;
    if (!valid) {
      out += static_cast<wchar_t>(c);
      ++i;
    } else {
      out += static_cast<wchar_t>(code);
      i += length;
    }
  }
  return out;
}

}  // namespace brellix_linux

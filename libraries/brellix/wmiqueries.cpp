// The WQL queries of WmiConnection: one named property of every object a query yields.
#include "wmiconnection.h"

namespace {

const char kDiskQuery[] = "SELECT * FROM Win32_DiskDrive WHERE InterfaceType != \"USB\"";

std::string string_entry(const VARIANT &value) {
  if (value.vt != VT_BSTR) return std::string();
  return WmiConnection::to_narrow(value.bstrVal, SysStringLen(value.bstrVal));
}

uint32_t uint_entry(const VARIANT &value) {
  // WMI hands unsigned 32-bit properties over as VT_I4; VT_UI4 is taken alike.
  if ((value.vt & ~0x10) != VT_I4) return 0;
  return static_cast<uint32_t>(value.lVal);
}

}  // namespace

int WmiConnection::exec_query(const std::string &query, const std::string &label,
                              IEnumWbemClassObject **enumerator) {
  WideBuffer wide_language;
  WideBuffer wide_query;
  to_wide("WQL", wide_language);
  to_wide(query, wide_query);

  BSTR language = SysAllocString(wide_language);
  BSTR text = SysAllocString(wide_query);
  status = services->ExecQuery(language, text, WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                               nullptr, enumerator);
  SysFreeString(text);
  SysFreeString(language);

  if (!FAILED(status)) return 0;
  error_text += "\nQuery for " + label + " failed - ";
  return 1;
}

template <typename Entry>
int WmiConnection::property_loop(const std::string &query, const std::string &property,
                                 std::vector<Entry> &list, bool all,
                                 Entry (*rule)(const VARIANT &)) {
  IEnumWbemClassObject *enumerator = nullptr;
  if (exec_query(query, property, &enumerator) != 0) return 1;
  if (enumerator == nullptr) return 0;

  for (;;) {
    IWbemClassObject *object = nullptr;
    ULONG returned = 0;
    status = enumerator->Next(static_cast<LONG>(WBEM_INFINITE), 1, &object, &returned);
    if (status == WBEM_S_FALSE) {
      enumerator->Release();
      return 0;
    }
    if (returned == 0 || object == nullptr) {
      // The figure printed is the object count, which is what the message has always shown.
      error_text += "\nFailed to enumerate " + property + ". Return code: " +
                    std::to_string(returned) + " result - ";
      if (object != nullptr) object->Release();
      enumerator->Release();
      return 1;
    }

    WideBuffer wide_property;
    to_wide(property, wide_property);
    VARIANT value;
    VariantInit(&value);
    object->Get(wide_property, 0, &value, nullptr, nullptr);
    list.push_back(rule(value));
    VariantClear(&value);
    object->Release();

    if (!all) {
      enumerator->Release();
      return 0;
    }
  }
}

int WmiConnection::query_string_property(const std::string &query, const std::string &property,
                                         std::vector<std::string> &list, bool all) {
  return property_loop(query, property, list, all, &string_entry);
}

int WmiConnection::query_uint_property(const std::string &query, const std::string &property,
                                       std::vector<uint32_t> &list, bool all) {
  return property_loop(query, property, list, all, &uint_entry);
}

int WmiConnection::query_processor_ids(std::vector<std::string> &list, bool all) {
  return query_string_property("SELECT * FROM Win32_Processor", "ProcessorId", list, all);
}

int WmiConnection::query_product_uuids(std::vector<std::string> &list) {
  return query_string_property("SELECT * FROM Win32_ComputerSystemProduct", "uuid", list, false);
}

int WmiConnection::query_disk_serials(std::vector<std::string> &list, bool all) {
  return query_string_property(kDiskQuery, "SerialNumber", list, all);
}

int WmiConnection::query_disk_signatures(std::vector<uint32_t> &list, bool all) {
  return query_uint_property(kDiskQuery, "Signature", list, all);
}

int WmiConnection::query_baseboard_serials(std::vector<std::string> &list) {
  return query_string_property("SELECT * FROM Win32_BaseBoard", "SerialNumber", list, false);
}

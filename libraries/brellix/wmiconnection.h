// One COM/WMI connection to one namespace, for the length of one module call.
#pragma once

#include "platform.h"

#include <cstdint>
#include <string>
#include <vector>

class WmiConnection {
 public:
  // Every text handed to WMI goes through a buffer of this many wide characters.
  static constexpr size_t kWideBufferSize = 150;
  // Every text value read back goes through a buffer of this many bytes.
  static constexpr size_t kNarrowBufferSize = 150;
  typedef wchar_t WideBuffer[kWideBufferSize];

  WmiConnection();
  ~WmiConnection();
  WmiConnection(const WmiConnection &) = delete;
  WmiConnection &operator=(const WmiConnection &) = delete;

  // 0 when the namespace is open and `services` is ready, else 1.
  int connect(const std::string &name_space);

  void to_wide(const std::string &text, WideBuffer &buffer);
  static std::string to_narrow(const wchar_t *wide, size_t count);
  std::string status_text() const;

  int exec_query(const std::string &query, const std::string &label,
                 IEnumWbemClassObject **enumerator);
  int query_string_property(const std::string &query, const std::string &property,
                            std::vector<std::string> &list, bool all);
  int query_uint_property(const std::string &query, const std::string &property,
                          std::vector<uint32_t> &list, bool all);

  int query_processor_ids(std::vector<std::string> &list, bool all);
  int query_product_uuids(std::vector<std::string> &list);
  int query_disk_serials(std::vector<std::string> &list, bool all);
  int query_disk_signatures(std::vector<uint32_t> &list, bool all);
  int query_baseboard_serials(std::vector<std::string> &list);

  int query_system_disk(std::string &serial, uint32_t &signature);

  bool com_initialized;
  HRESULT status;
  std::string error_text;
  IWbemLocator *locator;
  IWbemServices *services;

 private:
  template <typename Entry>
  int property_loop(const std::string &query, const std::string &property,
                    std::vector<Entry> &list, bool all, Entry (*rule)(const VARIANT &));
};

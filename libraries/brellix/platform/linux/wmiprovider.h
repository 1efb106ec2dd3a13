// The Linux WMI provider: a locator whose namespaces answer from MachineFacts.
#pragma once

#include "../../platform.h"

#include <optional>
#include <string>

namespace brellix_linux {

// A new locator (one reference) whose services read the machine under `root`, which
// lies on `root_device` (see MachineFacts); null when there is no memory for it.
IWbemLocator *create_locator(const std::string &root,
                             const std::optional<std::string> &root_device = std::nullopt);

// Text between the wide strings of the COM surface and the UTF-8 of the facts.
std::string to_utf8(const wchar_t *text);
std::wstring from_utf8(const std::string &text);

}  // namespace brellix_linux

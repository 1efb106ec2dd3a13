// The Linux WMI provider: a locator whose namespaces answer from MachineFacts.
#pragma once

#include "../../platform.h"

#include <string>

namespace brellix_linux {

// A new locator (one reference) whose services read the machine under `root`; null
// when there is no memory for it.
IWbemLocator *create_locator(const std::string &root);

// Text between the wide strings of the COM surface and the UTF-8 of the facts.
std::string to_utf8(const wchar_t *text);
std::wstring from_utf8(const std::string &text);

}  // namespace brellix_linux

// A small WQL parser and evaluator for the query shapes brellix sends:
//   SELECT * | Prop[, Prop...] FROM Class [WHERE Prop =|!=|<> literal]
//   ASSOCIATORS OF {Class.Key='value'} [WHERE ResultClass = Class]
// Keywords, class and property names match without regard to case.
#pragma once

#include "machinefacts.h"

#include <string>
#include <vector>

namespace brellix_linux {

// WBEM_S_NO_ERROR with the matching objects, or the WMI error code:
// WBEM_E_INVALID_QUERY for text that does not parse or names an unknown property,
// WBEM_E_INVALID_CLASS for an unknown class, WBEM_E_NOT_FOUND for an ASSOCIATORS
// source object that does not exist, WBEM_E_FAILED when the machine's facts cannot be read.
HRESULT run_wql(const MachineFacts &facts, const std::string &query, std::vector<Instance> &out);

}  // namespace brellix_linux

// The sip runtime as the binding reaches it: the API table taken from PyQt5.sip's
// capsule at start-up, and thin names for the entries we call.
#pragma once

#include <sip.h>

extern const sipAPIDef *bindingApi;

#define sipParseArgs bindingApi->api_parse_args
#define sipParseKwdArgs bindingApi->api_parse_kwd_args
#define sipNoFunction bindingApi->api_no_function
#define sipNoMethod bindingApi->api_no_method
#define sipAbstractMethod bindingApi->api_abstract_method
#define sipConvertFromType bindingApi->api_convert_from_type
#define sipConvertFromNewType bindingApi->api_convert_from_new_type
#define sipConvertFromEnum bindingApi->api_convert_from_enum
#define sipConvertToType bindingApi->api_convert_to_type
#define sipReleaseType bindingApi->api_release_type
#define sipBuildResult bindingApi->api_build_result
#define sipCallMethod bindingApi->api_call_method
#define sipCallProcedureMethod bindingApi->api_call_procedure_method
#define sipParseResultEx bindingApi->api_parse_result_ex
#define sipIsDerivedClass bindingApi->api_is_derived_class
#define sipIsOwnedByPython bindingApi->api_is_owned_by_python
#define sipGetAddress bindingApi->api_get_address
#define sipInstanceDestroyedEx bindingApi->api_instance_destroyed_ex
#define sipGetInterpreter bindingApi->api_get_interpreter
#define sipImportSymbol bindingApi->api_import_symbol
#define sipBadCallableArg bindingApi->api_bad_callable_arg
#define sipAddException bindingApi->api_add_exception
#define sipGetPyObject bindingApi->api_get_pyobject


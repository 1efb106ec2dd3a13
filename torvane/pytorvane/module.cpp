// Start-up of the module: the module object, the binding description handed to PyQt5's
// sip runtime, and the Qt binding's functions the view's meta-object calls go to.
#include "module.h"

#include "importedtypes.h"
#include "stringpool.h"
#include "uservalues.h"

const sipAPIDef *bindingApi = nullptr;
MetaObjectFunc qtcoreQtMetaobject = nullptr;
MetaCallFunc qtcoreQtMetacall = nullptr;
MetaCastFunc qtcoreQtMetacast = nullptr;

#define TORVANE_TYPE_NAME(id, name) {name},
sipImportedTypeDef qtCoreTypes[] = {TORVANE_QTCORE_TYPES(TORVANE_TYPE_NAME){nullptr}};
sipImportedTypeDef qtGuiTypes[] = {TORVANE_QTGUI_TYPES(TORVANE_TYPE_NAME){nullptr}};
sipImportedTypeDef qtWidgetsTypes[] = {TORVANE_QTWIDGETS_TYPES(TORVANE_TYPE_NAME){nullptr}};
#undef TORVANE_TYPE_NAME

sipImportedVirtErrorHandlerDef qtCoreVirtErrorHandlers[] = {{"PyQt5"}, {nullptr}};

static sipImportedModuleDef importedModules[] = {
    {"PyQt5.QtCore", qtCoreTypes, qtCoreVirtErrorHandlers, nullptr},
    {"PyQt5.QtGui", qtGuiTypes, nullptr, nullptr},
    {"PyQt5.QtWidgets", qtWidgetsTypes, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr},
};

// Sorted by class name: the runtime searches the table.
static sipTypeDef *bindingTypes[] = {
    sipType_AbstractItemView,
    sipType_HeaderIndex,
    sipType_NullValue,
    sipType_StandardItem,
};

sipExportedModuleDef bindingModuleDef = {
    .em_next = nullptr,
    .em_api_minor = 7,
    .em_name = poolOffset("pytorvane"),
    .em_nameobj = nullptr,
    .em_strings = bindingStrings,
    .em_imports = importedModules,
    .em_qt_api = nullptr,
    .em_nrtypes = int(sizeof(bindingTypes) / sizeof(bindingTypes[0])),
    .em_types = bindingTypes,
};

static PyMethodDef pytorvane_methods[] = {
    {"install_global_event_filter", pyInstallGlobalEventFilter, METH_VARARGS, nullptr},
    {"set_user_value", pySetUserValue, METH_VARARGS, nullptr},
    {"get_user_value", pyGetUserValue, METH_VARARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

static PyModuleDef pytorvane_module = {
    PyModuleDef_HEAD_INIT, "pytorvane", nullptr, -1, pytorvane_methods,
    nullptr, nullptr, nullptr, nullptr,
};

template <typename Func>
static Func importSymbol(const char *name)
{
    return reinterpret_cast<Func>(sipImportSymbol(name));
}

static PyObject *failImport(PyObject *module, const char *message)
{
    if (message)
        PyErr_SetString(PyExc_ImportError, message);
    Py_DECREF(module);
    return nullptr;
}

PyMODINIT_FUNC PyInit_pytorvane()
{
    PyObject *module = PyModule_Create2(&pytorvane_module, 1013);
    if (!module)
        return nullptr;
    PyObject *moduleDict = PyModule_GetDict(module);

    PyObject *sipModule = PyImport_ImportModule("PyQt5.sip");
    if (!sipModule) {
        Py_DECREF(module);
        return nullptr;
    }
    // The module stays imported, so the borrowed capsule stays alive. Something other than
    // a module in its place has no dictionary, hence no capsule.
    PyObject *sipDict = PyModule_Check(sipModule) ? PyModule_GetDict(sipModule) : nullptr;
    PyObject *capsule = sipDict ? PyDict_GetItemString(sipDict, "_C_API") : nullptr;
    Py_DECREF(sipModule);
    if (!capsule || Py_TYPE(capsule) != &PyCapsule_Type)
        return failImport(module, "PyQt5.sip has no _C_API capsule");
    bindingApi = static_cast<const sipAPIDef *>(PyCapsule_GetPointer(capsule, "PyQt5.sip._C_API"));
    if (!bindingApi)
        return failImport(module, nullptr);

    // Both come from PyQt5.QtCore, which the application imports first.
    auto registerFrom = importSymbol<RegisterFromVariantFunc>("pyqt5_register_from_qvariant_convertor");
    auto registerTo = importSymbol<RegisterToVariantFunc>("pyqt5_register_to_qvariant_convertor");
    if (!registerFrom || !registerTo)
        return failImport(module, "Unable to import the QVariant convertor registration of PyQt5.QtCore "
                                  "(import PyQt5.QtCore first)");
    registerFrom(nullValueFromVariant);
    registerTo(nullValueToVariant);

    // 12.7 has every entry the binding calls, so any 12.x runtime from 12.7 on takes us.
    if (bindingApi->api_export_module(&bindingModuleDef, 12, 7, nullptr) < 0)
        return failImport(module, nullptr);

    qtcoreQtMetaobject = importSymbol<MetaObjectFunc>("qtcore_qt_metaobject");
    qtcoreQtMetacall = importSymbol<MetaCallFunc>("qtcore_qt_metacall");
    qtcoreQtMetacast = importSymbol<MetaCastFunc>("qtcore_qt_metacast");
    if (!qtcoreQtMetacast)
        return failImport(module, "Unable to import qtcore_qt_metacast");

    if (bindingApi->api_init_module(&bindingModuleDef, moduleDict) < 0)
        return failImport(module, nullptr);
    return module;
}

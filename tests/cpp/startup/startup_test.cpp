// Each test runs in its own process (gtest_discover_tests), with an interpreter whose
// PyQt5.sip capsule points at a copy of the real runtime table with one entry replaced.
// PyQt5's own modules are imported first: they read the same capsule.
#include <Python.h>
#include <sip.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

const sipAPIDef *realApi = nullptr;
sipAPIDef doctoredApi;
std::set<std::string> registeredConvertors;

using RegisterFunc = void (*)(void *);
RegisterFunc realRegisterFrom = nullptr;
RegisterFunc realRegisterTo = nullptr;

void registerFrom(void *convertor)
{
    registeredConvertors.insert("from");
    realRegisterFrom(convertor);
}

void registerTo(void *convertor)
{
    registeredConvertors.insert("to");
    realRegisterTo(convertor);
}

void *recordingImportSymbol(const char *name)
{
    void *symbol = realApi->api_import_symbol(name);
    if (!std::strcmp(name, "pyqt5_register_from_qvariant_convertor")) {
        realRegisterFrom = reinterpret_cast<RegisterFunc>(symbol);
        return reinterpret_cast<void *>(registerFrom);
    }
    if (!std::strcmp(name, "pyqt5_register_to_qvariant_convertor")) {
        realRegisterTo = reinterpret_cast<RegisterFunc>(symbol);
        return reinterpret_cast<void *>(registerTo);
    }
    return symbol;
}

void *importSymbolWithoutMetacast(const char *name)
{
    if (!std::strcmp(name, "qtcore_qt_metacast"))
        return nullptr;
    return recordingImportSymbol(name);
}

// How the module's virtuals reach the runtime's sipIsPyMethod entries. The by-value one is
// safe only when this thread already holds the lock; the by-address one is not in a 12.7
// runtime's table.
int lockedCalls = 0, unlockedCalls = 0;
int byAddressCalls = 0;

PyObject *countingIsPyMethod(sip_gilstate_t *gil, char *flag, sipSimpleWrapper *self, const char *cls,
                             const char *name)
{
    ++(PyGILState_Check() ? lockedCalls : unlockedCalls);
    return realApi->api_is_py_method(gil, flag, self, cls, name);
}

PyObject *countingIsPyMethod12_8(sip_gilstate_t *gil, char *flag, sipSimpleWrapper **self,
                                 const char *cls, const char *name)
{
    ++byAddressCalls;
    return realApi->api_is_py_method_12_8(gil, flag, self, cls, name);
}

int refusingExport(sipExportedModuleDef *, unsigned, unsigned, void *)
{
    PyErr_SetString(PyExc_RuntimeError, "export refused by the test");
    return -1;
}

class Startup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Py_InitializeEx(0);
        ASSERT_EQ(PyRun_SimpleString("import PyQt5.QtCore, PyQt5.QtGui, PyQt5.QtWidgets"), 0);
        PyObject *sipModule = PyImport_ImportModule("PyQt5.sip");
        ASSERT_NE(sipModule, nullptr);
        PyObject *capsule = PyObject_GetAttrString(sipModule, "_C_API");
        realApi = static_cast<const sipAPIDef *>(PyCapsule_GetPointer(capsule, "PyQt5.sip._C_API"));
        ASSERT_NE(realApi, nullptr);
        doctoredApi = *realApi;
        doctoredApi.api_import_symbol = recordingImportSymbol;
        Py_DECREF(capsule);
        sipModule_ = sipModule;
    }

    void install()
    {
        PyObject *capsule = PyCapsule_New(&doctoredApi, "PyQt5.sip._C_API", nullptr);
        PyObject_SetAttrString(sipModule_, "_C_API", capsule);
        Py_DECREF(capsule);
    }

    // The exception type and text of a failed import, or "" when it succeeded.
    std::string importFailure()
    {
        PyObject *module = PyImport_ImportModule("pytorvane");
        if (module) {
            Py_DECREF(module);
            return "";
        }
        PyObject *type, *value, *traceback;
        PyErr_Fetch(&type, &value, &traceback);
        PyObject *text = PyObject_Str(value);
        std::string result = std::string(reinterpret_cast<PyTypeObject *>(type)->tp_name) + ": "
                             + PyUnicode_AsUTF8(text);
        Py_XDECREF(text);
        Py_XDECREF(type);
        Py_XDECREF(value);
        Py_XDECREF(traceback);
        return result;
    }

    // Imports the module and calls Python reimplementations of a view's and an item's
    // virtuals from C++ with the lock released, as Qt's event loop does.
    void callReimplementedVirtuals()
    {
        doctoredApi.api_is_py_method = countingIsPyMethod;
        doctoredApi.api_is_py_method_12_8 = countingIsPyMethod12_8;
        install();
        ASSERT_EQ(PyRun_SimpleString(R"(
from PyQt5 import QtCore, QtWidgets, sip
import pytorvane, virtualcaller
app = QtWidgets.QApplication([])
class View(pytorvane.AbstractItemView):
    def sizeHint(self): return QtCore.QSize(1, 2)
class Item(pytorvane.StandardItem):
    def type(self): return 1001
view, item = View(), Item()
virtualcaller.size_hint(sip.unwrapinstance(view), 2)
virtualcaller.type(sip.unwrapinstance(item), 2)
del view, item, app
)"),
                  0);
    }

    bool moduleLoaded() { return PyDict_GetItemString(PyImport_GetModuleDict(), "pytorvane") != nullptr; }

    PyObject *sipModule_ = nullptr;
};

TEST_F(Startup, RefusedExportKeepsRuntimeErrorAndConvertors)
{
    doctoredApi.api_export_module = refusingExport;
    install();
    EXPECT_EQ(importFailure(), "RuntimeError: export refused by the test");
    EXPECT_FALSE(moduleLoaded());
    EXPECT_EQ(registeredConvertors, (std::set<std::string>{"from", "to"}));
}

TEST_F(Startup, MissingMetacastFailsTheImport)
{
    doctoredApi.api_import_symbol = importSymbolWithoutMetacast;
    install();
    EXPECT_EQ(importFailure(), "ImportError: Unable to import qtcore_qt_metacast");
    EXPECT_FALSE(moduleLoaded());
}

TEST_F(Startup, UntouchedRuntimeImports)
{
    install();
    EXPECT_EQ(importFailure(), "");
    EXPECT_TRUE(moduleLoaded());
    EXPECT_EQ(registeredConvertors, (std::set<std::string>{"from", "to"}));
}

TEST_F(Startup, VirtualsHoldTheLockWhenTheRuntimeReadsTheWrapper)
{
    callReimplementedVirtuals();
    EXPECT_GE(lockedCalls, 4);
    EXPECT_EQ(unlockedCalls, 0);
    EXPECT_EQ(byAddressCalls, 0);
}

} // namespace

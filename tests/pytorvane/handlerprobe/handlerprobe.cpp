// handlerprobe: a test-only module that calls each override handler the way a derived class's
// reimplementation does (lock taken, new method reference, PyQt5's error handler), so the
// tests can drive every handler with PyQt5 objects, whether or not a view or item reaches it.
//
// handlerprobe.<handler>(obj, "method", *arguments) converts the arguments to the handler's
// native parameter types, calls the handler with obj's bound method and returns the native
// result converted back to Python (None for a procedure). The nativeEvent handler takes the
// initial value of Qt's out-parameter last and returns (result, out-parameter).
#include "overridehandlers.h"
#include "runtimetypes.h"

#include <tuple>
#include <type_traits>
#include <utility>

const sipAPIDef *bindingApi = nullptr;

#define PROBE_TYPE_NAME(id, name) {name},
sipImportedTypeDef qtCoreTypes[] = {TORVANE_QTCORE_TYPES(PROBE_TYPE_NAME){nullptr}};
sipImportedTypeDef qtGuiTypes[] = {TORVANE_QTGUI_TYPES(PROBE_TYPE_NAME){nullptr}};
sipImportedTypeDef qtWidgetsTypes[] = {TORVANE_QTWIDGETS_TYPES(PROBE_TYPE_NAME){nullptr}};
#undef PROBE_TYPE_NAME
sipImportedVirtErrorHandlerDef qtCoreVirtErrorHandlers[] = {{"PyQt5"}, {nullptr}};

namespace {

sipImportedModuleDef importedModules[] = {
    {"PyQt5.QtCore", qtCoreTypes, qtCoreVirtErrorHandlers, nullptr},
    {"PyQt5.QtGui", qtGuiTypes, nullptr, nullptr},
    {"PyQt5.QtWidgets", qtWidgetsTypes, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr},
};

const char probeStrings[] = "handlerprobe";

sipExportedModuleDef probeModuleDef = {
    .em_next = nullptr,
    .em_api_minor = 7,
    .em_name = 0,
    .em_nameobj = nullptr,
    .em_strings = probeStrings,
    .em_imports = importedModules,
};

// One native argument, converted from Python for the duration of a call.
template <typename P>
struct Arg;

// Classes by value or reference, flags: the converted instance, released afterwards.
template <typename T, int Flags>
struct Converted
{
    T *ptr = nullptr;
    int state = 0;
    bool load(PyObject *obj)
    {
        int err = 0;
        ptr = static_cast<T *>(sipConvertToType(obj, runtimeType<T>(), nullptr, Flags, &state, &err));
        return !err;
    }
    ~Converted()
    {
        if (ptr)
            sipReleaseType(ptr, runtimeType<T>(), state);
    }
};

template <typename T>
struct Arg<const T &> : Converted<T, SIP_NOT_NONE>
{
    const T &get() { return *this->ptr; }
};

template <typename T>
struct Arg<T &> : Converted<T, SIP_NOT_NONE>
{
    T &get() { return *this->ptr; }
};

template <typename T>
struct Arg<T *> : Converted<std::remove_const_t<T>, 0>
{
    T *get() { return this->ptr; }
};

template <typename E>
struct Arg<QFlags<E>> : Converted<QFlags<E>, SIP_NOT_NONE>
{
    QFlags<E> get() { return *this->ptr; }
};

// Enums, int and bool from Python ints.
template <typename T>
    requires std::is_enum_v<T> || std::is_same_v<T, int> || std::is_same_v<T, bool>
struct Arg<T>
{
    long value = 0;
    bool load(PyObject *obj)
    {
        value = PyLong_AsLong(obj);
        return !PyErr_Occurred();
    }
    T get() { return static_cast<T>(value); }
};

template <>
struct Arg<void *>
{
    void *value = nullptr;
    bool load(PyObject *obj)
    {
        value = PyLong_AsVoidPtr(obj);
        return !PyErr_Occurred();
    }
    void *get() { return value; }
};

// Qt's out-parameter of nativeEvent, with its initial value.
template <>
struct Arg<long *>
{
    long value = 0;
    bool load(PyObject *obj)
    {
        value = PyLong_AsLong(obj);
        return !PyErr_Occurred();
    }
    long *get() { return &value; }
};

template <typename R>
PyObject *toPython(R &&value)
{
    using T = std::remove_cvref_t<R>;
    if constexpr (std::is_same_v<T, bool>)
        return PyBool_FromLong(value);
    else if constexpr (std::is_same_v<T, int>)
        return PyLong_FromLong(value);
    else if constexpr (std::is_pointer_v<T>)
        return sipConvertFromType(value, runtimeType<std::remove_pointer_t<T>>(), nullptr);
    else
        return sipConvertFromNewType(new T(std::move(value)), runtimeType<T>(), nullptr);
}

template <auto Handler>
struct Probe;

template <typename R, typename... P,
          R (*Handler)(sip_gilstate_t, sipVirtErrorHandlerFunc, sipSimpleWrapper *, PyObject *, P...)>
struct Probe<Handler>
{
    static PyObject *call(PyObject *, PyObject *args)
    {
        constexpr Py_ssize_t count = sizeof...(P);
        if (PyTuple_GET_SIZE(args) != count + 2) {
            PyErr_Format(PyExc_TypeError, "expected %zd arguments", count + 2);
            return nullptr;
        }
        PyObject *self = PyTuple_GET_ITEM(args, 0);
        if (!PyObject_TypeCheck(self, bindingApi->api_simplewrapper_type)) {
            PyErr_SetString(PyExc_TypeError, "a wrapped Qt object is expected");
            return nullptr;
        }
        std::tuple<Arg<P>...> natives;
        bool loaded = std::apply(
            [&](auto &...arg) {
                Py_ssize_t i = 2;
                return (arg.load(PyTuple_GET_ITEM(args, i++)) && ...);
            },
            natives);
        if (!loaded) {
            if (!PyErr_Occurred())
                PyErr_SetString(PyExc_TypeError, "an argument has the wrong type");
            return nullptr;
        }
        PyObject *method = PyObject_GetAttr(self, PyTuple_GET_ITEM(args, 1));
        if (!method)
            return nullptr;

        // As sipIsPyMethod leaves it: the lock state is this call's, the handler gives it back.
        sip_gilstate_t gil = PyGILState_Ensure();
        auto run = [&](auto &...arg) {
            return Handler(gil, pyqt5Handler(), reinterpret_cast<sipSimpleWrapper *>(self), method,
                           arg.get()...);
        };
        if constexpr (std::is_void_v<R>) {
            std::apply(run, natives);
            Py_RETURN_NONE;
        } else if constexpr (std::is_same_v<std::tuple<P...>,
                                            std::tuple<const QByteArray &, void *, long *>>) {
            bool handled = std::apply(run, natives);
            return Py_BuildValue("(Nl)", PyBool_FromLong(handled), std::get<2>(natives).value);
        } else {
            return toPython(std::apply(run, natives));
        }
    }

    static sipVirtErrorHandlerFunc pyqt5Handler() { return qtCoreVirtErrorHandlers[0].iveh_handler; }
};

#define PROBE(name) {#name, Probe<&name>::call, METH_VARARGS, nullptr},

PyMethodDef probeMethods[] = {
    PROBE(overrideBool_QStandardItem)
    PROBE(overrideQModelIndexList)
    PROBE(overrideQRegion_QItemSelection)
    PROBE(overrideVoid_QRect_SelectionFlags)
    PROBE(overrideBool_QModelIndex)
    PROBE(overrideQModelIndex_CursorAction_KeyboardModifiers)
    PROBE(overrideVoid_QObjectPtr)
    PROBE(overrideVoid_QWidgetPtr)
    PROBE(overrideVoid_QWidgetPtr_EndEditHint)
    PROBE(overrideVoid_Int)
    PROBE(overrideVoid)
    PROBE(overrideVoid_QDataStreamRef)
    PROBE(overrideVoid_QModelIndex_QModelIndex)
    PROBE(overrideVoid_QItemSelection_QItemSelection)
    PROBE(overrideVoid_QModelIndex_Int_Int)
    PROBE(overrideVoid_QModelIndex_QModelIndex_QVectorInt)
    PROBE(overrideVoid_QModelIndex)
    PROBE(overrideInt_Int)
    PROBE(overrideQModelIndex_QPoint)
    PROBE(overrideVoid_QModelIndex_ScrollHint)
    PROBE(overrideQRect_QModelIndex)
    PROBE(overrideVoid_QString)
    PROBE(overrideInt)
    PROBE(overrideVoid_QItemSelectionModelPtr)
    PROBE(overrideVoid_QAbstractItemModelPtr)
    PROBE(overrideVoid_QMetaMethod)
    PROBE(overrideVoid_QEventPtr)
    PROBE(overrideVoid_QChildEventPtr)
    PROBE(overrideVoid_QTimerEventPtr)
    PROBE(overrideBool_QObjectPtr_QEventPtr)
    PROBE(overrideBool_QEventPtr)
    PROBE(overrideInt_PaintDeviceMetric)
    PROBE(overrideQPaintEnginePtr)
    PROBE(overrideQStandardItemPtr)
    PROBE(overrideVoid_Bool)
    PROBE(overrideQSize)
    PROBE(overrideVoid_QMouseEventPtr)
    PROBE(overrideVoid_QWheelEventPtr)
    PROBE(overrideVoid_QKeyEventPtr)
    PROBE(overrideVoid_QFocusEventPtr)
    PROBE(overrideVoid_QPaintEventPtr)
    PROBE(overrideVoid_QMoveEventPtr)
    PROBE(overrideVoid_QResizeEventPtr)
    PROBE(overrideVoid_QCloseEventPtr)
    PROBE(overrideVoid_QVariant_Int)
    PROBE(overrideVoid_QContextMenuEventPtr)
    PROBE(overrideVoid_QTabletEventPtr)
    PROBE(overrideVoid_QActionEventPtr)
    PROBE(overrideVoid_QDragEnterEventPtr)
    PROBE(overrideVoid_QDragMoveEventPtr)
    PROBE(overrideVoid_QDragLeaveEventPtr)
    PROBE(overrideVoid_QDropEventPtr)
    PROBE(overrideVoid_QShowEventPtr)
    PROBE(overrideVoid_QHideEventPtr)
    PROBE(overrideVoid_QInputMethodEventPtr)
    PROBE(overrideQVariant_Int)
    PROBE(overrideQVariant_InputMethodQuery)
    PROBE(overrideBool_Bool)
    PROBE(overrideBool)
    PROBE(overrideBool_QByteArray_VoidPtr_LongPtr)
    PROBE(overrideQPainterPtr)
    PROBE(overrideVoid_QPainterPtr)
    PROBE(overrideVoid_Int_Int)
    PROBE(overrideQStyleOptionViewItem)
    PROBE(overrideVoid_DropActions)
    PROBE(overrideSelectionFlags_QModelIndex_QEventPtr)
    PROBE(overrideBool_QModelIndex_EditTrigger_QEventPtr)
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef probeModule = {
    PyModuleDef_HEAD_INIT, "handlerprobe", nullptr, -1, probeMethods,
    nullptr, nullptr, nullptr, nullptr,
};

} // namespace

PyMODINIT_FUNC PyInit_handlerprobe()
{
    PyObject *sipModule = PyImport_ImportModule("PyQt5.sip");
    if (!sipModule)
        return nullptr;
    PyObject *capsule = PyObject_GetAttrString(sipModule, "_C_API");
    Py_DECREF(sipModule);
    if (!capsule)
        return nullptr;
    bindingApi = static_cast<const sipAPIDef *>(PyCapsule_GetPointer(capsule, "PyQt5.sip._C_API"));
    Py_DECREF(capsule);
    if (!bindingApi)
        return nullptr;

    PyObject *module = PyModule_Create(&probeModule);
    if (!module)
        return nullptr;
    if (bindingApi->api_export_module(&probeModuleDef, 12, 7, nullptr) < 0 ||
        bindingApi->api_init_module(&probeModuleDef, PyModule_GetDict(module)) < 0) {
        Py_DECREF(module);
        return nullptr;
    }
    return module;
}

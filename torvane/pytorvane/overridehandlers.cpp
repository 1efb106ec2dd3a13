// The override handlers. Each one is a single row below: its argument and result formats
// are written out as the runtime reads them, and the templates check at compile time that
// each format letter matches the native type it stands for (the runtime's variadic calls
// are not type-checked, so a mismatch would otherwise read garbage off the stack).
#include "overridehandlers.h"

#include "runtimetypes.h"

#include <array>
#include <cstddef>
#include <tuple>
#include <type_traits>

using QModelIndexList = QList<QModelIndex>;
using QVectorInt = QVector<int>;

namespace {

// A format string as a template argument.
template <std::size_t N>
struct Format
{
    char text[N];
    consteval Format(const char (&s)[N])
    {
        for (std::size_t i = 0; i < N; ++i)
            text[i] = s[i];
    }
};

template <std::size_t N, std::size_t M>
consteval bool sameText(const char (&a)[N], const std::array<char, M> &b)
{
    if (N != M)
        return false;
    for (std::size_t i = 0; i < N; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

template <std::size_t N, std::size_t M>
consteval bool sameText(const char (&a)[N], const char (&b)[M])
{
    return sameText(a, std::to_array(b));
}

// How one native argument travels to Python: its format letter, and the values the runtime
// reads for that letter.
template <typename T>
struct Wire;

// "N": Python gets (and owns) a heap copy; the caller's object is left alone.
template <typename T>
struct Copied
{
    static constexpr char code = 'N';
    static auto pass(const T &value)
    {
        return std::tuple<void *, const sipTypeDef *, PyObject *>(new T(value), runtimeType<T>(),
                                                                  nullptr);
    }
};

// "D": Python gets a wrapper of the native object itself (a null pointer arrives as None).
template <typename T>
struct Shared
{
    static constexpr char code = 'D';
    static auto pass(const T &object)
    {
        return std::tuple<void *, const sipTypeDef *, PyObject *>(
            const_cast<T *>(&object), runtimeType<T>(), nullptr);
    }
};

template <typename T>
struct Wire<T *>
{
    static constexpr char code = 'D';
    static auto pass(T *object)
    {
        return std::tuple<void *, const sipTypeDef *, PyObject *>(
            const_cast<std::remove_const_t<T> *>(object), runtimeType<std::remove_const_t<T>>(),
            nullptr);
    }
};

// "F": a member of the Python enum type.
template <typename T>
struct Enumerated
{
    static constexpr char code = 'F';
    static auto pass(T value) { return std::tuple<int, const sipTypeDef *>(int(value), runtimeType<T>()); }
};

template <>
struct Wire<int>
{
    static constexpr char code = 'i';
    static auto pass(int value) { return std::tuple<int>(value); }
};

// The protected cursor action has no Python enum of its own: it goes over as a plain int.
template <>
struct Wire<ViewCursorAccess::CursorAction>
{
    static constexpr char code = 'i';
    static auto pass(ViewCursorAccess::CursorAction value) { return std::tuple<int>(int(value)); }
};

template <>
struct Wire<bool>
{
    static constexpr char code = 'b';
    static auto pass(bool value) { return std::tuple<int>(value); }
};

template <>
struct Wire<void *>
{
    static constexpr char code = 'V';
    static auto pass(void *value) { return std::tuple<void *>(value); }
};

template <> struct Wire<QByteArray> : Copied<QByteArray> {};
template <> struct Wire<QItemSelection> : Copied<QItemSelection> {};
template <> struct Wire<QItemSelectionModel::SelectionFlags> : Copied<QItemSelectionModel::SelectionFlags> {};
template <> struct Wire<QMetaMethod> : Copied<QMetaMethod> {};
template <> struct Wire<QModelIndex> : Copied<QModelIndex> {};
template <> struct Wire<QPoint> : Copied<QPoint> {};
template <> struct Wire<QRect> : Copied<QRect> {};
template <> struct Wire<QString> : Copied<QString> {};
template <> struct Wire<QVariant> : Copied<QVariant> {};
template <> struct Wire<QVectorInt> : Copied<QVectorInt> {};
template <> struct Wire<Qt::DropActions> : Copied<Qt::DropActions> {};
template <> struct Wire<Qt::KeyboardModifiers> : Copied<Qt::KeyboardModifiers> {};

// Neither can be copied for Python: the less-than operator's other item, and the stream of
// read and write.
template <> struct Wire<QStandardItem> : Shared<QStandardItem> {};
template <> struct Wire<QDataStream> : Shared<QDataStream> {};

template <> struct Wire<QAbstractItemDelegate::EndEditHint> : Enumerated<QAbstractItemDelegate::EndEditHint> {};
template <> struct Wire<QAbstractItemView::EditTrigger> : Enumerated<QAbstractItemView::EditTrigger> {};
template <> struct Wire<QAbstractItemView::ScrollHint> : Enumerated<QAbstractItemView::ScrollHint> {};
template <> struct Wire<QPaintDevice::PaintDeviceMetric> : Enumerated<QPaintDevice::PaintDeviceMetric> {};
template <> struct Wire<Qt::InputMethodQuery> : Enumerated<Qt::InputMethodQuery> {};

template <typename... A>
consteval std::array<char, sizeof...(A) + 1> argumentFormat()
{
    return {Wire<A>::code..., '\0'};
}

// How the Python result comes back: its format, and the destination values the runtime
// fills for that format.
template <typename R>
struct Back;

template <>
struct Back<bool>
{
    static constexpr char format[] = "b";
    static auto into(bool &result) { return std::tuple<bool *>(&result); }
};

template <>
struct Back<int>
{
    static constexpr char format[] = "i";
    static auto into(int &result) { return std::tuple<int *>(&result); }
};

// "H5": a copy of the Python object's value is assigned into the result; None is refused.
template <typename T>
struct Valued
{
    static constexpr char format[] = "H5";
    static auto into(T &result)
    {
        return std::tuple<const sipTypeDef *, void *>(runtimeType<T>(), &result);
    }
};

// "H2": the native object passes from Python to the caller; "H0": ownership stays.
// None gives a null pointer in both.
template <typename T, char Flag>
struct Pointer
{
    static constexpr char format[] = {'H', Flag, '\0'};
    static auto into(T *&result)
    {
        return std::tuple<const sipTypeDef *, void *>(runtimeType<T>(), &result);
    }
};

template <> struct Back<QModelIndex> : Valued<QModelIndex> {};
template <> struct Back<QModelIndexList> : Valued<QModelIndexList> {};
template <> struct Back<QRect> : Valued<QRect> {};
template <> struct Back<QRegion> : Valued<QRegion> {};
template <> struct Back<QSize> : Valued<QSize> {};
template <> struct Back<QVariant> : Valued<QVariant> {};
template <> struct Back<QStyleOptionViewItem> : Valued<QStyleOptionViewItem> {};
template <> struct Back<QItemSelectionModel::SelectionFlags> : Valued<QItemSelectionModel::SelectionFlags> {};
template <> struct Back<QStandardItem *> : Pointer<QStandardItem, '2'> {};
template <> struct Back<QPaintEngine *> : Pointer<QPaintEngine, '0'> {};
template <> struct Back<QPainter *> : Pointer<QPainter, '0'> {};

struct Call
{
    sip_gilstate_t gil;
    sipVirtErrorHandlerFunc onError;
    sipSimpleWrapper *self;
    PyObject *method;
};

// Calls the method; the result (null when the method raised or the arguments could not be
// built) goes on to sipParseResultEx unexamined.
template <Format F, typename... A>
PyObject *callMethod(const Call &call, const A &...args)
{
    static_assert(sameText(F.text, argumentFormat<A...>()), "argument format does not match the types");
    return std::apply([&](auto... wired) { return sipCallMethod(nullptr, call.method, F.text, wired...); },
                      std::tuple_cat(Wire<A>::pass(args)...));
}

// A void virtual: the runtime requires None, reports any failure, drops the method and
// releases the lock.
template <Format F, typename... A>
void procedure(const Call &call, const A &...args)
{
    static_assert(sameText(F.text, argumentFormat<A...>()), "argument format does not match the types");
    std::apply(
        [&](auto... wired) {
            sipCallProcedureMethod(call.gil, call.onError, call.self, call.method, F.text, wired...);
        },
        std::tuple_cat(Wire<A>::pass(args)...));
}

// A virtual with a result: default first, then call and parse; sipParseResultEx drops the
// result and the method, reports a failure and releases the lock. A failed parse leaves the
// default in place.
template <typename R, Format F, Format RF, typename... A>
R function(const Call &call, const A &...args)
{
    static_assert(sameText(RF.text, Back<R>::format), "result format does not match the type");
    R result{};
    PyObject *value = callMethod<F>(call, args...);
    int rc = std::apply(
        [&](auto... into) {
            return sipParseResultEx(call.gil, call.onError, call.self, call.method, value, RF.text,
                                    into...);
        },
        Back<R>::into(result));
    if (rc < 0)
        result = R{};
    return result;
}

} // namespace

#define HANDLER sip_gilstate_t gil, sipVirtErrorHandlerFunc onError, sipSimpleWrapper *self, PyObject *method
#define CALL Call{gil, onError, self, method}

bool overrideBool_QStandardItem(HANDLER, const QStandardItem &a0) { return function<bool, "D", "b">(CALL, a0); }
QList<QModelIndex> overrideQModelIndexList(HANDLER) { return function<QModelIndexList, "", "H5">(CALL); }
QRegion overrideQRegion_QItemSelection(HANDLER, const QItemSelection &a0) { return function<QRegion, "N", "H5">(CALL, a0); }
void overrideVoid_QRect_SelectionFlags(HANDLER, const QRect &a0, QItemSelectionModel::SelectionFlags a1) { procedure<"NN">(CALL, a0, a1); }
bool overrideBool_QModelIndex(HANDLER, const QModelIndex &a0) { return function<bool, "N", "b">(CALL, a0); }
QModelIndex overrideQModelIndex_CursorAction_KeyboardModifiers(HANDLER, ViewCursorAccess::CursorAction a0, Qt::KeyboardModifiers a1) { return function<QModelIndex, "iN", "H5">(CALL, a0, a1); }
void overrideVoid_QObjectPtr(HANDLER, QObject *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QWidgetPtr(HANDLER, QWidget *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QWidgetPtr_EndEditHint(HANDLER, QWidget *a0, QAbstractItemDelegate::EndEditHint a1) { procedure<"DF">(CALL, a0, a1); }
void overrideVoid_Int(HANDLER, int a0) { procedure<"i">(CALL, a0); }
void overrideVoid(HANDLER) { procedure<"">(CALL); }
void overrideVoid_QDataStreamRef(HANDLER, QDataStream &a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QModelIndex_QModelIndex(HANDLER, const QModelIndex &a0, const QModelIndex &a1) { procedure<"NN">(CALL, a0, a1); }
void overrideVoid_QItemSelection_QItemSelection(HANDLER, const QItemSelection &a0, const QItemSelection &a1) { procedure<"NN">(CALL, a0, a1); }
void overrideVoid_QModelIndex_Int_Int(HANDLER, const QModelIndex &a0, int a1, int a2) { procedure<"Nii">(CALL, a0, a1, a2); }
void overrideVoid_QModelIndex_QModelIndex_QVectorInt(HANDLER, const QModelIndex &a0, const QModelIndex &a1, const QVector<int> &a2) { procedure<"NNN">(CALL, a0, a1, a2); }
void overrideVoid_QModelIndex(HANDLER, const QModelIndex &a0) { procedure<"N">(CALL, a0); }
int overrideInt_Int(HANDLER, int a0) { return function<int, "i", "i">(CALL, a0); }
QModelIndex overrideQModelIndex_QPoint(HANDLER, const QPoint &a0) { return function<QModelIndex, "N", "H5">(CALL, a0); }
void overrideVoid_QModelIndex_ScrollHint(HANDLER, const QModelIndex &a0, QAbstractItemView::ScrollHint a1) { procedure<"NF">(CALL, a0, a1); }
QRect overrideQRect_QModelIndex(HANDLER, const QModelIndex &a0) { return function<QRect, "N", "H5">(CALL, a0); }
void overrideVoid_QString(HANDLER, const QString &a0) { procedure<"N">(CALL, a0); }
int overrideInt(HANDLER) { return function<int, "", "i">(CALL); }
void overrideVoid_QItemSelectionModelPtr(HANDLER, QItemSelectionModel *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QAbstractItemModelPtr(HANDLER, QAbstractItemModel *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QMetaMethod(HANDLER, const QMetaMethod &a0) { procedure<"N">(CALL, a0); }
void overrideVoid_QEventPtr(HANDLER, QEvent *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QChildEventPtr(HANDLER, QChildEvent *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QTimerEventPtr(HANDLER, QTimerEvent *a0) { procedure<"D">(CALL, a0); }
bool overrideBool_QObjectPtr_QEventPtr(HANDLER, QObject *a0, QEvent *a1) { return function<bool, "DD", "b">(CALL, a0, a1); }
bool overrideBool_QEventPtr(HANDLER, QEvent *a0) { return function<bool, "D", "b">(CALL, a0); }
int overrideInt_PaintDeviceMetric(HANDLER, QPaintDevice::PaintDeviceMetric a0) { return function<int, "F", "i">(CALL, a0); }
QPaintEngine *overrideQPaintEnginePtr(HANDLER) { return function<QPaintEngine *, "", "H0">(CALL); }
QStandardItem *overrideQStandardItemPtr(HANDLER) { return function<QStandardItem *, "", "H2">(CALL); }
void overrideVoid_Bool(HANDLER, bool a0) { procedure<"b">(CALL, a0); }
QSize overrideQSize(HANDLER) { return function<QSize, "", "H5">(CALL); }
void overrideVoid_QMouseEventPtr(HANDLER, QMouseEvent *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QWheelEventPtr(HANDLER, QWheelEvent *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QKeyEventPtr(HANDLER, QKeyEvent *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QFocusEventPtr(HANDLER, QFocusEvent *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QPaintEventPtr(HANDLER, QPaintEvent *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QMoveEventPtr(HANDLER, QMoveEvent *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QResizeEventPtr(HANDLER, QResizeEvent *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QCloseEventPtr(HANDLER, QCloseEvent *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QVariant_Int(HANDLER, const QVariant &a0, int a1) { procedure<"Ni">(CALL, a0, a1); }
void overrideVoid_QContextMenuEventPtr(HANDLER, QContextMenuEvent *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QTabletEventPtr(HANDLER, QTabletEvent *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QActionEventPtr(HANDLER, QActionEvent *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QDragEnterEventPtr(HANDLER, QDragEnterEvent *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QDragMoveEventPtr(HANDLER, QDragMoveEvent *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QDragLeaveEventPtr(HANDLER, QDragLeaveEvent *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QDropEventPtr(HANDLER, QDropEvent *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QShowEventPtr(HANDLER, QShowEvent *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QHideEventPtr(HANDLER, QHideEvent *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_QInputMethodEventPtr(HANDLER, QInputMethodEvent *a0) { procedure<"D">(CALL, a0); }
QVariant overrideQVariant_Int(HANDLER, int a0) { return function<QVariant, "i", "H5">(CALL, a0); }
QVariant overrideQVariant_InputMethodQuery(HANDLER, Qt::InputMethodQuery a0) { return function<QVariant, "F", "H5">(CALL, a0); }
bool overrideBool_Bool(HANDLER, bool a0) { return function<bool, "b", "b">(CALL, a0); }
bool overrideBool(HANDLER) { return function<bool, "", "b">(CALL); }
QPainter *overrideQPainterPtr(HANDLER) { return function<QPainter *, "", "H0">(CALL); }
void overrideVoid_QPainterPtr(HANDLER, QPainter *a0) { procedure<"D">(CALL, a0); }
void overrideVoid_Int_Int(HANDLER, int a0, int a1) { procedure<"ii">(CALL, a0, a1); }
QStyleOptionViewItem overrideQStyleOptionViewItem(HANDLER) { return function<QStyleOptionViewItem, "", "H5">(CALL); }
void overrideVoid_DropActions(HANDLER, Qt::DropActions a0) { procedure<"N">(CALL, a0); }
QItemSelectionModel::SelectionFlags overrideSelectionFlags_QModelIndex_QEventPtr(HANDLER, const QModelIndex &a0, const QEvent *a1) { return function<QItemSelectionModel::SelectionFlags, "ND", "H5">(CALL, a0, a1); }
bool overrideBool_QModelIndex_EditTrigger_QEventPtr(HANDLER, const QModelIndex &a0, QAbstractItemView::EditTrigger a1, QEvent *a2) { return function<bool, "NFD", "b">(CALL, a0, a1, a2); }

// nativeEvent: the Python result is a pair; its first element is the virtual's result and its
// second goes straight into Qt's out-parameter. The runtime parses the pair element by element,
// so the bool may already be set when the long then fails: only a whole parse counts. The
// out-parameter, parsed last, is written only when everything before it parsed.
bool overrideBool_QByteArray_VoidPtr_LongPtr(HANDLER, const QByteArray &a0, void *a1, long *result)
{
    Call call = CALL;
    bool handled = false;
    PyObject *value = callMethod<"NV">(call, a0, a1);
    if (sipParseResultEx(gil, onError, self, method, value, "(bl)", &handled, result) < 0)
        handled = false;
    return handled;
}

#include "sipstandarditem.h"

#include "importedtypes.h"
#include "overridehandlers.h"
#include "pythonroute.h"

#include <utility>

sipStandardItem::sipStandardItem() = default;

sipStandardItem::sipStandardItem(const StandardItem &other) : StandardItem(other) {}

sipStandardItem::~sipStandardItem()
{
    // First, while the item is whole: detaches the Python object and clears pySelf.
    sipInstanceDestroyedEx(&pySelf);
}

// The Python reimplementation through its handler if there is one, else the fallback.
template <typename Handler, typename Fallback, typename... Args>
auto sipStandardItem::route(Slot slot, const char *name, Handler handler, Fallback fallback,
                            Args &&...args) const
{
    return routeToPython(
        const_cast<char &>(pyOverrideFlags[slot]), pySelf, nullptr, name, fallback,
        [&](sip_gilstate_t gil, sipSimpleWrapper *self, PyObject *method) {
            return handler(gil, pyqt5VirtErrorHandler, self, method, std::forward<Args>(args)...);
        });
}

QVariant sipStandardItem::data(int role) const
{
    return route(DataSlot, "data", overrideQVariant_Int, [&] { return StandardItem::data(role); }, role);
}

void sipStandardItem::setData(const QVariant &value, int role)
{
    route(SetDataSlot, "setData", overrideVoid_QVariant_Int, [&] { StandardItem::setData(value, role); },
          value, role);
}

QStandardItem *sipStandardItem::clone() const
{
    return route(CloneSlot, "clone", overrideQStandardItemPtr, [&] { return QStandardItem::clone(); });
}

int sipStandardItem::type() const
{
    return route(TypeSlot, "type", overrideInt, [&] { return QStandardItem::type(); });
}

void sipStandardItem::read(QDataStream &in)
{
    route(ReadSlot, "read", overrideVoid_QDataStreamRef, [&] { QStandardItem::read(in); }, in);
}

void sipStandardItem::write(QDataStream &out) const
{
    route(WriteSlot, "write", overrideVoid_QDataStreamRef, [&] { QStandardItem::write(out); }, out);
}

bool sipStandardItem::operator<(const QStandardItem &other) const
{
    return route(LessThanSlot, "__lt__", overrideBool_QStandardItem,
                 [&] { return QStandardItem::operator<(other); }, other);
}

// The StandardItem that Python creates: its virtuals go to a Python reimplementation
// when the Python class has one.
#pragma once

#include "../standarditem.h"
#include "sipapi.h"

class sipStandardItem : public StandardItem
{
public:
    sipStandardItem();
    sipStandardItem(const StandardItem &other);
    ~sipStandardItem() override;

    QVariant data(int role) const override;
    void setData(const QVariant &value, int role) override;
    QStandardItem *clone() const override;
    int type() const override;
    void read(QDataStream &in) override;
    void write(QDataStream &out) const override;
    bool operator<(const QStandardItem &other) const override;

    // The wrapping Python object; null until the Python constructor sets it and once it is gone.
    sipSimpleWrapper *pySelf = nullptr;
    // One byte per routed virtual, in the order of the enum below; the runtime marks
    // those the Python class does not reimplement.
    char pyOverrideFlags[7] = {};

private:
    enum Slot { DataSlot, SetDataSlot, CloneSlot, TypeSlot, ReadSlot, WriteSlot, LessThanSlot };

    template <typename Handler, typename Fallback, typename... Args>
    auto route(Slot slot, const char *name, Handler handler, Fallback fallback, Args &&...args) const;
};

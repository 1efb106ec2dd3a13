#include "standarditem.h"

QVariant StandardItem::data(int role) const
{
    return QStandardItem::data(mapRole(role));
}

void StandardItem::setData(const QVariant &value, int role)
{
    QStandardItem::setData(value, mapRole(role));
}

#pragma once

#include <QtGui/QStandardItem>

// A standard item whose edit value lives apart from its display value: Qt keeps
// Qt::EditRole and Qt::DisplayRole in one slot, so the edit role is stored under
// a role of its own instead.
class StandardItem : public QStandardItem
{
public:
    static constexpr int EditValueRole = 1111;

    StandardItem() = default;
    StandardItem(const StandardItem &other) : QStandardItem(other) {}
    StandardItem &operator=(const StandardItem &other)
    {
        QStandardItem::operator=(other);
        return *this;
    }

    static constexpr int mapRole(int role) { return role == Qt::EditRole ? EditValueRole : role; }

    QVariant data(int role = Qt::UserRole + 1) const override;
    void setData(const QVariant &value, int role = Qt::UserRole + 1) override;

    void emitDataChanged() { QStandardItem::emitDataChanged(); }
};

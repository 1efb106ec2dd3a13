// What Python cannot reach of the native item: its copy assignment, and the mapping
// seen through QStandardItem's own interface.
#include "standarditem.h"

#include <gtest/gtest.h>

namespace {

StandardItem filledItem()
{
    StandardItem item;
    item.setData(QStringLiteral("shown"), Qt::DisplayRole);
    item.setData(42, Qt::EditRole);
    item.setData(QStringLiteral("user"), Qt::UserRole + 1);
    return item;
}

void expectFilled(const QStandardItem &item)
{
    EXPECT_EQ(item.data(Qt::DisplayRole).toString(), QStringLiteral("shown"));
    EXPECT_EQ(item.data(StandardItem::EditValueRole).toInt(), 42);
    EXPECT_EQ(item.data(Qt::EditRole).toInt(), 42);
    EXPECT_EQ(item.data(Qt::UserRole + 1).toString(), QStringLiteral("user"));
}

} // namespace

TEST(StandardItem, EditRoleIsKeptApartFromDisplay)
{
    StandardItem item;
    QStandardItem &base = item;
    base.setData(QStringLiteral("edit"), Qt::EditRole);
    EXPECT_FALSE(base.data(Qt::DisplayRole).isValid());
    EXPECT_EQ(base.data(StandardItem::EditValueRole).toString(), QStringLiteral("edit"));

    base.setData(QStringLiteral("text"), Qt::DisplayRole);
    EXPECT_EQ(base.data(Qt::EditRole).toString(), QStringLiteral("edit"));
    EXPECT_EQ(base.text(), QStringLiteral("text"));
}

TEST(StandardItem, CopyAndAssignmentKeepEveryRole)
{
    const StandardItem source = filledItem();
    const StandardItem copy(source);
    expectFilled(copy);

    StandardItem assigned;
    assigned.setData(7, Qt::EditRole);
    assigned = source;
    expectFilled(assigned);
}

#pragma once

#include <QtCore/QAbstractItemModel>
#include <QtCore/QPointer>
#include <QtCore/QVariant>

// One header section of a model: what a model index is for item data.
// The model is watched, so a deleted model reads as no model at all.
struct HeaderIndex
{
    HeaderIndex(QAbstractItemModel *model, Qt::Orientation orientation, int section)
        : model(model), orientation(orientation), section(section) {}
    HeaderIndex(const HeaderIndex &) = default;

    QVariant data(int role) const;
    bool setData(const QVariant &value, int role);

    const QPointer<QAbstractItemModel> model;
    const Qt::Orientation orientation;
    const int section;
};

#include "headerindex.h"

QVariant HeaderIndex::data(int role) const
{
    if (!model)
        return QVariant();
    return model->headerData(section, orientation, role);
}

bool HeaderIndex::setData(const QVariant &value, int role)
{
    if (!model)
        return false;
    return model->setHeaderData(section, orientation, value, role);
}

#include "kernel/base/CDDVariant.h"

#include "kernel/base/FTCalendarFormat.h"

CDDVariant::CDDVariant()
    : CDDVariant(QDateTime::currentDateTime())
{
}

CDDVariant::CDDVariant(const QDateTime &when)
    : mObject(when)
{
}

void CDDVariant::SetIntValues(int first, int second)
{
    mInt1 = first;
    mInt2 = second;
    mType = variantIntegers;
}

void CDDVariant::SetIntValues(int first, int second, int third)
{
    mInt1 = first;
    mInt2 = second;
    mInt3 = third;
    mType = variantIntegers;
}

QString CDDVariant::GetStringValue() const
{
    switch (mType) {
    case variantIntegers:
        return QString::number(mInt1);
    case variantObject:
        return objectDescription(mObject);
    case variantEmpty:
        break;
    }
    return QString();
}

QString objectDescription(const QVariant &object)
{
    if (object.metaType().id() == QMetaType::QDateTime)
        return dateDescription(object.toDateTime());
    return object.toString();
}

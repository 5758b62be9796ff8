#pragma once

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/address/FTTextCategories.h"

#include "kernel/foundation/CAEnvironment.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QDate>
#include <QStringList>
#include <QTimeZone>

#include <ostream>

// Lets GoogleTest show texts in failure messages.
inline void PrintTo(const QString &text, std::ostream *stream)
{
    *stream << '"' << text.toStdString() << '"';
}

namespace pwtest {

// A format walked row by row: one text per row, its fields by key string (the number where a
// category has none), each followed by its delimiter.
inline QStringList dumpRows(CAddressFormat &format)
{
    QStringList rows;
    if (!format.initEnumeration())
        return rows;
    do {
        QStringList fields;
        while (CAddressFormat *field = format.nextObjectInRow()) {
            const QString key = FTTextCategories::getKeyFromTextCategory(field->getTextCategory());
            QString text = key.isEmpty() ? QString::number(int(field->getTextCategory())) : key;
            if (field->getDelimiter())
                text += field->getDelimiter()->getData();
            fields.append(text);
        }
        rows.append(fields.join(QStringLiteral(" | ")));
    } while (format.nextRow());
    return rows;
}

inline PWPlist utcDate(int year, int month, int day)
{
    return PWPlist::fromDate(QDateTime(QDate(year, month, day), QTime(0, 0), QTimeZone::utc()));
}

} // namespace pwtest

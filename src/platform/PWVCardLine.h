#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// One content line of a vCard as the parser leaves it: the group ("item1" of "item1.TEL"), the
// property name and parameter names in upper case, parameter values as written (quotes
// removed, comma lists split), and the value unfolded, with any quoted-printable transfer
// encoding already decoded, but not yet unescaped. Knows nothing of persons.
struct PWVCardLine
{
    QString group;
    QString name;
    QList<std::pair<QString, QStringList>> parameters;
    QString value;

    // Every value of the parameters of that name (upper case), in order.
    QStringList parameterValues(const QString &name) const;
    bool hasParameter(const QString &name) const;
    // The TYPE values in lower case, including bare parameters ("TEL;WORK;VOICE") as vCard 2.1
    // wrote them.
    QStringList types() const;
    bool hasType(const QString &type) const;

    bool operator==(const PWVCardLine &other) const = default;
};

// The content lines of one card, BEGIN and END left out.
using PWVCard = QList<PWVCardLine>;

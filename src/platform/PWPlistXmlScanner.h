#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A light pass over XML property-list text before the parser builds a tree from it: it bounds the
// nesting of <array> and <dict> elements (the tree would otherwise be freed recursively), refuses
// a <key> outside a dictionary (which the parser would quietly read as a string), and collects the
// text of every <date> element in document order, so dates are read with a proleptic Gregorian
// calendar of our own. Comments, CDATA sections, processing instructions and the DOCTYPE are
// skipped; everything else is left to the parser to judge.
class PWPlistXmlScanner
{
public:
    struct Result
    {
        QString error; // empty when the text may be handed to the parser
        QList<QByteArray> dateTexts;
    };

    static Result scan(const QByteArray &bytes, int maxDepth);
};

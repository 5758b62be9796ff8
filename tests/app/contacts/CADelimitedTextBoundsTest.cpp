// The bounds of a delimited text at their exact edges: what reaches a bound is read whole and
// without a word; one more row or character is left out and named with its line.
#include "app/contacts/CADelimitedText.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(CADelimitedTextBounds, RowsPastTheBoundAreLeftOutAndNamed)
{
    const struct
    {
        const char *name;
        qsizetype rows;
        QByteArray after; // what follows the rows
        QStringList problems;
    } cases[] = {
        {"as many rows as the bound", CADelimitedText::kMaxRows, {}, {}},
        // A spreadsheet's rows of empty fields after the last record are no records.
        {"as many rows as the bound and rows of empty fields", CADelimitedText::kMaxRows, ",\n,\n", {}},
        {"one row more", CADelimitedText::kMaxRows + 1, {},
         {u"Line 1000001 and the lines after it were left out: a file is read up to 1000000 rows."_s}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray bytes;
        bytes.reserve(c.rows * 4 + c.after.size());
        for (qsizetype i = 0; i < c.rows; ++i)
            bytes += "x,1\n";
        const CADelimitedText text(bytes + c.after);
        EXPECT_EQ(text.rowCount(), std::min(c.rows, CADelimitedText::kMaxRows));
        EXPECT_EQ(text.problems(), c.problems);
    }
}

TEST(CADelimitedTextBounds, ARecordPastTheBoundIsLeftOutAndNamed)
{
    const qsizetype bound = CADelimitedText::kMaxRecordCharacters;
    // A record of a given length between two short ones; length counts every character from
    // the record's first to the end of its last line, the line breaks within it too.
    const struct
    {
        const char *name;
        qsizetype length;
        bool quoted; // one quoted field of two lines, or one line
        QString problem;
    } cases[] = {
        {"one line as long as the bound", bound, false, {}},
        {"one line a character longer", bound + 1, false,
         u"Line 2 was left out: it is a record of more than 1048576 characters."_s},
        {"two lines as long as the bound", bound, true, {}},
        {"two lines a character longer", bound + 1, true,
         u"Lines 2 to 3 were left out: they make one record of more than 1048576 characters."_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        // "Ann," and the notes: unquoted, or a quote, half the notes, a line break, the rest and a quote.
        QByteArray record = "Ann,";
        if (c.quoted) {
            const qsizetype notes = c.length - record.size() - 3;
            record += '"' + QByteArray(notes / 2, 'n') + '\n' + QByteArray(notes - notes / 2, 'm') + '"';
        } else {
            record += QByteArray(c.length - record.size(), 'n');
        }
        ASSERT_EQ(record.size(), c.length);
        const CADelimitedText text("Bo,short\n" + record + "\nCy,short\n");
        const QList<QStringList> rows = text.rows();
        ASSERT_EQ(rows.size(), c.problem.isEmpty() ? 3 : 2);
        EXPECT_EQ(rows.first().first(), u"Bo"_s);
        EXPECT_EQ(rows.last().first(), u"Cy"_s);
        if (c.problem.isEmpty()) {
            EXPECT_EQ(rows.at(1).first(), u"Ann"_s);
            EXPECT_EQ(rows.at(1).at(1).size(), c.length - 4 - (c.quoted ? 2 : 0));
        }
        EXPECT_EQ(text.problems(), c.problem.isEmpty() ? QStringList() : QStringList{c.problem});
    }
}

} // namespace

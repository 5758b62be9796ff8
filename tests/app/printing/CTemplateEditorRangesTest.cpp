// The longest lengths the template editor takes, typed in either unit, applied to a design: the
// design saved and opened again holds them and its reading names nothing. A length just past them
// is refused and keeps the editor open.
#include "SheetTestSupport.h"

#include "kernel/base/CDDNumberRange.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QToolTip>

#include <functional>

using namespace templatetest;

namespace {

struct LengthCase
{
    const char *name;
    const char *units;
    const char *field;
    // Decimals the field shows in the unit; the typed length is the longest length with that many,
    // or the first such length past it.
    int decimals;
    double pointsPerUnit;
    bool past;
    std::function<double(const CFTADocument &)> length;
};

void PrintTo(const LengthCase &row, std::ostream *out)
{
    *out << row.name;
}

double longestIn(const LengthCase &row)
{
    const double scale = std::pow(10.0, row.decimals);
    const double longest = std::floor(CDDRanges::kLength.highest / row.pointsPerUnit * scale) / scale;
    return row.past ? longest + 1.0 / scale : longest;
}

class TemplateEditorRanges : public SheetTest, public ::testing::WithParamInterface<LengthCase>
{
};

TEST_P(TemplateEditorRanges, TheLongestLengthTakenIsReadBackAndOneJustPastIsRefused)
{
    const LengthCase &row = GetParam();
    auto document = newDocument(dtLabel);
    open(*document);
    showTab(1);
    click("_btnCreateNew");
    ASSERT_TRUE(sheet->isEditing());
    choose("_units", QString::fromLatin1(row.units));
    const double typed = longestIn(row);
    typeInto(row.field, QString::number(typed, 'f', row.decimals));
    click("_editorBtnOK");
    EXPECT_EQ(sheet->isEditing(), row.past);
    if (row.past)
        return;
    click("_btnOK");

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(u"layout.pwdc"_s);
    QString error;
    ASSERT_TRUE(document->writeToFile(path, &error)) << qPrintable(error);
    CADocument reopened;
    ASSERT_TRUE(reopened.readFromFile(path, &error)) << qPrintable(error);
    EXPECT_EQ(reopened.readProblems().join(u'\n'), QString());
    EXPECT_NEAR(row.length(*reopened.ftDocument()), typed * row.pointsPerUnit, 0.01);
}

constexpr double kPointsPerMillimetre = 2.8346457;
constexpr double kPointsPerInch = 72.0;

double cardWidth(const CFTADocument &design)
{
    return design.getCardSizeX();
}

double cardHeight(const CFTADocument &design)
{
    return design.getCardSizeY();
}

double leftMargin(const CFTADocument &design)
{
    return design.GetLeftMargin();
}

double rowGap(const CFTADocument &design)
{
    return design.GetVSpace();
}

INSTANTIATE_TEST_SUITE_P(
    Table, TemplateEditorRanges,
    ::testing::Values(LengthCase {"WidthInMillimetres", "Millimeters", "_width", 3, kPointsPerMillimetre, false, cardWidth},
                      LengthCase {"PastWidthInMillimetres", "Millimeters", "_width", 3, kPointsPerMillimetre, true, cardWidth},
                      LengthCase {"HeightInInches", "Inches", "_height", 4, kPointsPerInch, false, cardHeight},
                      LengthCase {"PastHeightInInches", "Inches", "_height", 4, kPointsPerInch, true, cardHeight},
                      LengthCase {"MarginInMillimetres", "Millimeters", "_leftMargin", 3, kPointsPerMillimetre, false,
                                  leftMargin},
                      LengthCase {"PastMarginInMillimetres", "Millimeters", "_leftMargin", 3, kPointsPerMillimetre,
                                  true, leftMargin},
                      LengthCase {"GapInInches", "Inches", "_vertSpace", 4, kPointsPerInch, false, rowGap},
                      LengthCase {"PastGapInInches", "Inches", "_vertSpace", 4, kPointsPerInch, true, rowGap}),
    [](const ::testing::TestParamInfo<LengthCase> &info) { return std::string(info.param.name); });

struct RefusedText
{
    const char *name;
    const char *field;
    const char *typed;
};

void PrintTo(const RefusedText &row, std::ostream *out)
{
    *out << row.name;
}

class TemplateEditorRefusedText : public SheetTest, public ::testing::WithParamInterface<RefusedText>
{
};

// A text the field cannot take stays as typed, is refused with a word on what the field takes,
// and keeps the focus against Tab and a click elsewhere until it is mended; then Tab goes on.
TEST_P(TemplateEditorRefusedText, StaysAsTypedAndKeepsTheFocusUntilMended)
{
    const RefusedText &row = GetParam();
    auto document = newDocument(dtLabel);
    open(*document);
    showTab(1);
    click("_btnCreateNew");
    ASSERT_TRUE(sheet->isEditing());
    auto *edit = control<QLineEdit>(row.field);
    auto *name = control<QLineEdit>("_name");
    ASSERT_TRUE(edit && name);
    const QString typed = QString::fromLatin1(row.typed);
    typeInto(row.field, typed);
    EXPECT_EQ(edit->text(), typed) << "the field changed what was typed";
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), edit) << "Tab left a refused field";
    EXPECT_TRUE(edit->toolTip().startsWith(u"Enter a number from"_s)) << qPrintable(edit->toolTip());
    EXPECT_EQ(QToolTip::text(), edit->toolTip());
    QTest::mouseClick(name, Qt::LeftButton, {}, name->rect().center());
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), edit) << "a click elsewhere took the focus from a refused field";
    click("_editorBtnOK");
    EXPECT_TRUE(sheet->isEditing());

    typeInto(row.field, u"10"_s);
    QCoreApplication::processEvents();
    EXPECT_NE(QApplication::focusWidget(), edit) << "a mended field kept the focus";
    EXPECT_TRUE(edit->toolTip().isEmpty());
    EXPECT_EQ(edit->text(), u"10"_s);
}

INSTANTIATE_TEST_SUITE_P(Table, TemplateEditorRefusedText,
                         ::testing::Values(RefusedText {"Exponent", "_leftMargin", "1e9"},
                                           RefusedText {"Letters", "_width", "abc"},
                                           RefusedText {"NumberThenLetters", "_height", "12mm"},
                                           RefusedText {"Minus", "_vertSpace", "-"},
                                           RefusedText {"PastTheRange", "_topMargin", "99999"}),
                         [](const ::testing::TestParamInfo<RefusedText> &info) { return std::string(info.param.name); });

} // namespace

// The longest lengths the template editor takes, typed in either unit, applied to a design: the
// design saved and opened again holds them and its reading names nothing. A length just past them
// is refused and keeps the editor open.
#include "SheetTestSupport.h"

#include "kernel/base/CDDNumberRange.h"

#include <QTemporaryDir>

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

} // namespace

// The paper a sheet's name gives, and what a sheet layout lost of its catalogue sheet's margins
// and gaps.
#include "kernel/printing/CATemplateFormat.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

TEST(CATemplateFormatPaperTest, ASheetsNameGivesItsPaperInAnyLetterCase)
{
    const struct
    {
        const char *name;
        std::optional<QSizeF> paper; // points, portrait
    } cases[] = {
        {"A4", QSizeF(594.72, 841.68)},
        {"a4", QSizeF(594.72, 841.68)},
        {"Letter", QSizeF(612.0, 792.0)},
        {"LETTER", QSizeF(612.0, 792.0)},
        {"Legal", QSizeF(612.0, 1008.0)},
        {"legal", QSizeF(612.0, 1008.0)},
        {"A5", QSizeF(148.0 * 72.0 / 25.4, 210.0 * 72.0 / 25.4)},
        {"Tabloid", QSizeF(792.0, 1224.0)},
        {" A3 ", QSizeF(297.0 * 72.0 / 25.4, 420.0 * 72.0 / 25.4)},
        {"Elephant Folio", std::nullopt},
        {"", std::nullopt},
        {"Label Roll", std::nullopt},
        {"Custom", std::nullopt},
    };
    for (const auto &c : cases) {
        const std::optional<QSizeF> paper = CATemplateFormat::sheetPaperForName(QString::fromLatin1(c.name));
        ASSERT_EQ(paper.has_value(), c.paper.has_value()) << c.name;
        if (!paper)
            continue;
        EXPECT_NEAR(paper->width(), c.paper->width(), 0.5) << c.name;
        EXPECT_NEAR(paper->height(), c.paper->height(), 0.5) << c.name;
    }
}

// A file leaves out lengths of none: a predefined layout without one its catalogue sheet has
// lost it, and its labels would print off their places. A custom layout, or one the catalogue
// does not hold, has only itself to go by.
TEST(CATemplateFormatPaperTest, APredefinedLayoutLackingItsSheetsMarginsOrGapsIsTold)
{
    const std::shared_ptr<CATemplateFormat> avery =
        CATemplateFormat::findPredefLayoutManufacturerID(dtLabel, u"Avery"_s, u"03112"_s);
    ASSERT_TRUE(avery);
    ASSERT_TRUE(avery->isPredef());
    // Its top margin 0.75 in, left margin and both gaps 0.5 in.
    ASSERT_GT(avery->getTopMargin(), 50.0f);
    const struct
    {
        const char *name;
        std::function<void(CATemplateFormat &)> change;
        QStringList lost;
    } cases[] = {
        {"as the catalogue has it", [](CATemplateFormat &) {}, {}},
        {"no top margin", [](CATemplateFormat &f) { f.setTopMargin(0.0f); }, {u"top margin"_s}},
        {"no margins or gaps",
         [](CATemplateFormat &f) { f.setTopMargin(0.0f), f.setLeftMargin(0.0f), f.setHSpace(0.0f), f.setVSpace(0.0f); },
         {u"top margin"_s, u"left margin"_s, u"horizontal gap"_s, u"vertical gap"_s}},
        {"no vertical gap", [](CATemplateFormat &f) { f.setVSpace(0.0f); }, {u"vertical gap"_s}},
        {"other margins of its own", [](CATemplateFormat &f) { f.setTopMargin(20.0f), f.setHSpace(3.0f); }, {}},
        {"a custom layout", [](CATemplateFormat &f) { f.setPredef(false), f.setTopMargin(0.0f); }, {}},
        {"a name the catalogue does not hold", [](CATemplateFormat &f) { f.setID(u"no such sheet"_s), f.setTopMargin(0.0f); },
         {}},
        {"another grid", [](CATemplateFormat &f) { f.setRows(f.Rows() + 1), f.setTopMargin(0.0f); }, {}},
    };
    for (const auto &c : cases) {
        CATemplateFormat layout = *avery;
        c.change(layout);
        EXPECT_EQ(CATemplateFormat::placementLostAgainstCatalogue(layout), c.lost) << c.name;
    }
}

} // namespace

#include "app/printsheet/CAPrintJob.h"
#include "app/printsheet/CAPrintViewController.h"

#include "kernel/base/CAEnvironment.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

using namespace Qt::StringLiterals;

namespace {

enum class Design { LabelSheet, Roll, Envelope, PostcardSheet, PostcardSingle };

// A design on the first catalogue template of its kind.
std::shared_ptr<CADocument> designOf(Design which)
{
    CAEnvironment::setDefaultCountry(u"us"_s);
    const int type = which == Design::Envelope ? dtEnvelope
                     : which == Design::PostcardSheet || which == Design::PostcardSingle ? dtPostcard
                                                                                         : dtLabel;
    const CATemplateFormat::TemplateList *list = CATemplateFormat::predefLayouts(type);
    if (!list)
        return nullptr;
    for (const auto &layout : *list) {
        const bool grid = layout->Columns() > 0 && layout->Rows() > 0 && layout->Columns() * layout->Rows() > 1;
        const bool fits = (which == Design::Roll && layout->isLabelRoll())
                          || (which == Design::LabelSheet && !layout->isLabelRoll() && grid)
                          || which == Design::Envelope || (which == Design::PostcardSheet && grid)
                          || (which == Design::PostcardSingle && !grid);
        if (!fits)
            continue;
        auto document = std::make_shared<CADocument>(
            std::make_unique<CFTADocument>(documentType(type), CDDString(u"us"_s), CDDString(u"us"_s)));
        document->setLayoutArangeComponents(*layout, false);
        return document;
    }
    return nullptr;
}

struct LayoutCase
{
    Design design;
    const char *sheetName;
    bool startAndMarks, envelopeFeed;
};

class PrintSheetLayoutTest : public ::testing::TestWithParam<LayoutCase>
{
protected:
    template <typename T> T *child(const char *name) { return m_sheet->findChild<T *>(QLatin1String(name)); }
    // The named control that has the focus: a spin box's editor stands for the spin box.
    static QString focusedControl()
    {
        for (QWidget *widget = QApplication::focusWidget(); widget; widget = widget->parentWidget())
            if (widget->objectName().startsWith(u'_') || widget->objectName().startsWith(u"zoom"_s))
                return widget->objectName();
        return QString();
    }
    std::unique_ptr<CAPrintViewController> m_sheet;
};

// Each design opens the sheet of its layout, with the controls that layout has and no others,
// and prints the pages its copies fill.
TEST_P(PrintSheetLayoutTest, OpensItsLayoutAndPrintsItsCopies)
{
    const LayoutCase c = GetParam();
    const std::shared_ptr<CADocument> document = designOf(c.design);
    ASSERT_TRUE(document);
    const auto kind = CAPrintJob::sheetKindForDocument(*document);
    ASSERT_TRUE(kind);
    m_sheet = std::make_unique<CAPrintViewController>(document, *kind, CAPrintJob::PersonChoice{}, QStringList{u"Office"_s});
    m_sheet->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_sheet.get()));
    EXPECT_EQ(m_sheet->objectName(), QLatin1String(c.sheetName));
    EXPECT_EQ(child<QSpinBox>("_startFromEdit") != nullptr, c.startAndMarks);
    EXPECT_EQ(child<QAbstractButton>("_cutLineCheck") != nullptr, c.startAndMarks);
    EXPECT_EQ(child<QAbstractButton>("_rotateLeft") != nullptr, c.envelopeFeed);
    ASSERT_TRUE(m_sheet->printView());

    // Three copies: one page each on rolls and envelopes, the sheets they fill on a label sheet.
    QSpinBox *copies = child<QSpinBox>("_copiesEdit");
    copies->setFocus();
    copies->selectAll();
    QTest::keyClicks(copies, u"3"_s);
    EXPECT_EQ(document->printSettings().copies, 3);
    const int perPage = m_sheet->printView()->itemsPerPage();
    const int pages = c.startAndMarks ? (3 + perPage - 1) / perPage : 3;
    EXPECT_EQ(m_sheet->pageCount(), pages);
    EXPECT_EQ(child<QLabel>("_pageCount")->text(), QString::number(pages));
    QTemporaryDir folder;
    const QString path = folder.filePath(u"job.pdf"_s);
    CAPrintViewController::setPdfPathChooser([&path](QWidget *, const QString &) { return path; });
    QTest::mouseClick(child<QPushButton>("_exportButton"), Qt::LeftButton);
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(path);
    ASSERT_TRUE(pdf);
    EXPECT_EQ(pdf->numPages(), pages);
}

// Tab walks the settings from the numbers down to the buttons, then the preview; nothing the
// sheet shows is narrower than its text.
TEST_P(PrintSheetLayoutTest, TabOrderFollowsTheColumnAndNothingIsClipped)
{
    const std::shared_ptr<CADocument> document = designOf(GetParam().design);
    ASSERT_TRUE(document);
    m_sheet = std::make_unique<CAPrintViewController>(document, *CAPrintJob::sheetKindForDocument(*document),
                                                      CAPrintJob::PersonChoice{}, QStringList{u"Office"_s});
    m_sheet->show();
    m_sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_sheet.get()));
    child<QSpinBox>("_copiesEdit")->setFocus();
    QStringList order;
    for (int i = 0; i < 40 && !order.contains(u"_printButton"_s); ++i) {
        order.append(focusedControl());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    order.append(focusedControl());
    const QStringList expected = {u"_copiesEdit"_s, u"_pageEdit"_s, u"_printerList"_s, u"_personListButton"_s,
                                  u"_vectorCheck"_s, u"_fitAddressPanelCheck"_s, u"_zoom"_s, u"_closeButton"_s,
                                  u"_printButton"_s};
    qsizetype last = -1;
    for (const QString &name : expected) {
        const qsizetype at = order.indexOf(name);
        EXPECT_GT(at, last) << name.toStdString() << " in " << order.join(u' ').toStdString();
        last = at;
    }

    for (QWidget *widget : m_sheet->findChildren<QWidget *>()) {
        if (!widget->isVisible() || !(qobject_cast<QAbstractButton *>(widget) || qobject_cast<QLabel *>(widget)))
            continue;
        if (auto *labelWidget = qobject_cast<QLabel *>(widget); labelWidget && labelWidget->wordWrap())
            continue;
        EXPECT_GE(widget->width(), widget->minimumSizeHint().width()) << widget->objectName().toStdString();
        EXPECT_GE(widget->height(), widget->minimumSizeHint().height()) << widget->objectName().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Designs, PrintSheetLayoutTest,
                         ::testing::Values(LayoutCase{Design::LabelSheet, "PrintViewLabel", true, false},
                                           LayoutCase{Design::Roll, "PrintViewDYMO", false, false},
                                           LayoutCase{Design::Envelope, "PrintViewEnvelope", false, true},
                                           LayoutCase{Design::PostcardSheet, "PrintViewLabel", true, false},
                                           LayoutCase{Design::PostcardSingle, "PrintViewEnvelope", false, true}));

} // namespace

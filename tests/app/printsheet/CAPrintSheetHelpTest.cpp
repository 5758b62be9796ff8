// The help page on printing names what the print sheet shows: every control it puts in bold is
// a control, group, tab or button of the sheet of a label or an envelope, under the same words.
#include "app/printsheet/CAPrintViewController.h"

#include "PrintSheetTestSupport.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWBundle.h"

#include <QAbstractButton>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTextDocumentFragment>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Words as a control shows them and as the page names them: without a trailing colon, with
// one kind of apostrophe.
QString plain(QString text)
{
    text = text.trimmed();
    text.replace(u'\u2019', u'\'');
    text.remove(u'&');
    if (text.endsWith(u':'))
        text.chop(1);
    return text.trimmed();
}

QSet<QString> textsOfSheet(int type)
{
    QSet<QString> texts;
    const std::unique_ptr<CAPrintViewController> sheet =
        printsheettest::shownSheet(printsheettest::design(type), printsheettest::personChoice(0, true, true));
    if (!sheet)
        return texts;
    for (const QLabel *label : sheet->findChildren<QLabel *>())
        texts.insert(plain(label->text()));
    for (const QAbstractButton *button : sheet->findChildren<QAbstractButton *>())
        texts.insert(plain(button->text()));
    for (const QGroupBox *box : sheet->findChildren<QGroupBox *>())
        texts.insert(plain(box->title()));
    for (const QTabWidget *tabs : sheet->findChildren<QTabWidget *>())
        for (int i = 0; i < tabs->count(); ++i)
            texts.insert(plain(tabs->tabText(i)));
    for (const QWidget *widget : sheet->findChildren<QWidget *>())
        if (!widget->accessibleName().isEmpty())
            texts.insert(plain(widget->accessibleName()));
    return texts;
}

// The bold names of the page's section about the sheet, as the page shows them.
QStringList boldNamesOfSheetSection()
{
    QFile page(u":/bundle/en.lproj/ParcelwickHelp/printing.html"_s);
    if (!page.open(QIODevice::ReadOnly))
        return {};
    const QString html = QString::fromUtf8(page.readAll());
    const qsizetype from = html.indexOf(u"<h2>The print sheet</h2>"_s);
    const qsizetype to = html.indexOf(u"<h2>"_s, from + 1);
    if (from < 0)
        return {};
    const QString section = html.mid(from, to < 0 ? -1 : to - from);
    QStringList names;
    static const QRegularExpression bold(u"<b>(.*?)</b>"_s, QRegularExpression::DotMatchesEverythingOption);
    for (const QRegularExpressionMatch &match : bold.globalMatch(section))
        names.append(plain(QTextDocumentFragment::fromHtml(match.captured(1)).toPlainText().simplified()));
    return names;
}

} // namespace

TEST(PrintSheetHelpTest, ThePrintingPageNamesOnlyControlsTheSheetHas)
{
    const QStringList names = boldNamesOfSheetSection();
    ASSERT_GE(names.size(), 10) << "the page has no section on the print sheet";
    QSet<QString> shown = textsOfSheet(dtLabel);
    shown.unite(textsOfSheet(dtEnvelope));
    for (const QString &name : names)
        EXPECT_TRUE(shown.contains(name)) << "the help names \"" << qPrintable(name) << "\", which the sheet does not show";
}

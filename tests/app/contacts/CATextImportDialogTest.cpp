#include "app/contacts/CAContactImportHooks.h"
#include "app/contacts/CADelimitedText.h"
#include "app/contacts/CATextEncodings.h"
#include "app/contacts/CATextFileImport.h"
#include "app/contacts/CATextImportDialog.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include "EightBitCorpusSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kSampleCsv = "First Name,Last Name,Company,Notes\r\n"
                              "Ann,Lee,Acme,one\r\n"
                              "Bo,Young,Harbour,two\r\n"
                              "Cy,Adams,,three\r\n"
                              "Di,Miller,Zeta,four\r\n"
                              "Ed,Mills,Omega,five\r\n";

class CATextImportDialogTest : public testing::Test
{
protected:
    CATextImportDialogTest()
    {
        options.showDialog = true;
        options.delimiterChoice = true;
        options.encodingChoice = true;
    }

    template<typename Widget>
    Widget *child(const char *name)
    {
        auto *found = dialog.findChild<Widget *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString counter() { return child<QLabel>("_info")->text(); }
    QTableWidget *table() { return child<QTableWidget>("_tableView"); }
    QString cell(int row, int column) { return table()->item(row, column)->text(); }
    void click(const char *name) { QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton); }
    void choose(QComboBox *popup, int item)
    {
        popup->setCurrentIndex(item);
        Q_EMIT popup->activated(item);
    }
    static int key(const QString &name) { return int(CATextImportDialog::keyList().indexOf(name)); }

    CATextImportOptions options;
    CATextImportDialog dialog;
};

// The keys of the header keywords, a street's next lines and PO box among them, but "emailother".
TEST_F(CATextImportDialogTest, KeyListHasTheKeysOfTheHeaderKeywordsOnceWithSkipFirst)
{
    const QStringList &keys = CATextImportDialog::keyList();
    QStringList expected = CADelimitedText::fieldKeys();
    expected.removeOne(u"emailother"_s);
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()), QSet<QString>(expected.begin(), expected.end()));
    EXPECT_EQ(keys.size(), expected.size()) << "no key twice";
    for (const char *kind : {"work", "home", "other"}) {
        const QString street = QLatin1String(kind) + u"street"_s;
        EXPECT_EQ(keys.indexOf(street + u'2'), keys.indexOf(street) + 1);
        EXPECT_EQ(keys.indexOf(street + u'3'), keys.indexOf(street) + 2);
        EXPECT_EQ(keys.indexOf(QLatin1String(kind) + u"pobox"_s), keys.indexOf(street) + 3);
    }
    EXPECT_EQ(keys.first(), u"skip"_s);
    EXPECT_EQ(keys.last(), u"custom9"_s);
}

TEST_F(CATextImportDialogTest, RecordsAreSteppedWithTheCounter)
{
    CADelimitedText text(kSampleCsv);
    dialog.prepare(text, options);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(counter(), u"1/5"_s);
    EXPECT_EQ(table()->rowCount(), 4);
    EXPECT_EQ(cell(1, CATextImportDialog::DataColumn), u"Lee"_s);
    EXPECT_EQ(cell(1, CATextImportDialog::HeaderColumn), u"Last Name"_s);
    EXPECT_EQ(cell(3, CATextImportDialog::NumberColumn), u"4"_s);
    EXPECT_FALSE(child<QPushButton>("_prevRecord")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("_nextRecord")->isEnabled());

    for (int i = 0; i < 4; ++i)
        click("_nextRecord");
    EXPECT_EQ(counter(), u"5/5"_s);
    EXPECT_EQ(cell(1, CATextImportDialog::DataColumn), u"Mills"_s);
    EXPECT_FALSE(child<QPushButton>("_nextRecord")->isEnabled());
    click("_nextRecord");
    EXPECT_EQ(counter(), u"5/5"_s);
    click("_prevRecord");
    EXPECT_EQ(counter(), u"4/5"_s);
    EXPECT_EQ(cell(2, CATextImportDialog::DataColumn), u"Zeta"_s);
}

TEST_F(CATextImportDialogTest, HeaderSwitchShowsTheFirstLineAsTitles)
{
    CADelimitedText text("Ann,Lee\r\nBo,Young\r\nCy,Adams\r\n");
    dialog.prepare(text, options);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto *check = child<QCheckBox>("_headerCheck");
    EXPECT_FALSE(check->isChecked());
    EXPECT_TRUE(table()->isColumnHidden(CATextImportDialog::HeaderColumn));
    EXPECT_EQ(counter(), u"1/3"_s);
    const CADelimitedText::Registry before = dialog.workingRegistry();

    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, check->height() / 2));
    EXPECT_TRUE(text.hasHeader());
    EXPECT_FALSE(table()->isColumnHidden(CATextImportDialog::HeaderColumn));
    EXPECT_EQ(cell(1, CATextImportDialog::HeaderColumn), u"Lee"_s);
    EXPECT_EQ(cell(1, CATextImportDialog::DataColumn), u"Young"_s);
    EXPECT_EQ(counter(), u"1/2"_s);
    EXPECT_EQ(dialog.workingRegistry(), before);

    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, check->height() / 2));
    EXPECT_FALSE(text.hasHeader());
    EXPECT_EQ(counter(), u"1/3"_s);
}

TEST_F(CATextImportDialogTest, ForcedHeaderDisablesTheSwitch)
{
    CADelimitedText text(kSampleCsv);
    options.headerForced = true;
    dialog.prepare(text, options);
    EXPECT_TRUE(child<QCheckBox>("_headerCheck")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("_headerCheck")->isEnabled());
}

TEST_F(CATextImportDialogTest, KeysMoveBetweenColumnsAndSkipRemovesThem)
{
    CADelimitedText text(kSampleCsv);
    dialog.prepare(text, options);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_EQ(dialog.keyIndexOfColumn(0), key(u"firstname"_s));
    ASSERT_EQ(dialog.keyIndexOfColumn(1), key(u"lastname"_s));
    EXPECT_EQ(dialog.keyIndexOfColumn(3), 0) << "Notes has no keyword";

    choose(dialog.keyPopupOfColumn(3), key(u"lastname"_s));
    EXPECT_EQ(dialog.keyIndexOfColumn(3), key(u"lastname"_s));
    EXPECT_EQ(dialog.keyIndexOfColumn(1), 0) << "the key left the column that had it";
    EXPECT_EQ(dialog.workingRegistry().value(u"lastname"_s), 3);

    choose(dialog.keyPopupOfColumn(0), 0);
    EXPECT_FALSE(dialog.workingRegistry().contains(u"firstname"_s));
    EXPECT_EQ(dialog.keyIndexOfColumn(0), 0);
    choose(dialog.keyPopupOfColumn(0), key(u"custom4"_s));
    EXPECT_EQ(dialog.workingRegistry().value(u"custom4"_s), 0);
    EXPECT_FALSE(dialog.workingRegistry().contains(u"firstname"_s)) << "a column holds one chosen key";
}

TEST_F(CATextImportDialogTest, ColumnWithTwoKeysShowsOneAndSkipRemovesOnlyIt)
{
    CADelimitedText text(kSampleCsv);
    CADelimitedText::Registry registry = text.registry();
    registry.insert(u"nickname"_s, 0);
    text.setRegistry(registry);
    dialog.prepare(text, options);
    const int shown = dialog.keyIndexOfColumn(0);
    ASSERT_TRUE(shown == key(u"firstname"_s) || shown == key(u"nickname"_s));
    choose(dialog.keyPopupOfColumn(0), 0);
    const int other = shown == key(u"firstname"_s) ? key(u"nickname"_s) : key(u"firstname"_s);
    EXPECT_EQ(dialog.keyIndexOfColumn(0), other);
}

TEST_F(CATextImportDialogTest, DelimiterChangeReReadsKeepingTheKeys)
{
    CADelimitedText text(kSampleCsv);
    dialog.prepare(text, options);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    choose(dialog.keyPopupOfColumn(3), key(u"custom1"_s));
    const CADelimitedText::Registry chosen = dialog.workingRegistry();

    auto *delimiter = child<QComboBox>("_delimiterButton");
    EXPECT_EQ(delimiter->currentIndex(), 1) << "comma";
    choose(delimiter, 2); // semicolon: every line is one field
    EXPECT_EQ(text.delimiter(), std::optional<QString>(u";"_s));
    EXPECT_EQ(table()->rowCount(), 1);
    EXPECT_EQ(dialog.workingRegistry(), chosen) << "the working keys survive the re-reading";
    EXPECT_EQ(child<QCheckBox>("_headerCheck")->isChecked(), text.hasHeader());
    EXPECT_EQ(counter(), u"1/%1"_s.arg(text.recordsCount()));

    choose(delimiter, 1);
    EXPECT_EQ(table()->rowCount(), 4);
    EXPECT_EQ(dialog.keyIndexOfColumn(3), key(u"custom1"_s));
}

TEST_F(CATextImportDialogTest, RejectingEncodingLeavesNothingToConfirm)
{
    CADelimitedText text("First Name,City\r\nRen\xe9,Z\xfcrich\r\n");
    ASSERT_EQ(text.encoding(), CATextEncodings::kWindowsLatin1);
    dialog.prepare(text, options);
    auto *encoding = child<QComboBox>("_encodingButton");
    auto *ok = child<QDialogButtonBox>("buttonBox")->button(QDialogButtonBox::Ok);
    EXPECT_EQ(encoding->currentText(), CATextEncodings::displayName(CATextEncodings::kWindowsLatin1));
    EXPECT_TRUE(ok->isEnabled());

    const int utf8 = encoding->findText(CATextEncodings::displayName(CATextEncodings::kUTF8));
    ASSERT_GE(utf8, 0);
    choose(encoding, utf8);
    EXPECT_EQ(table()->rowCount(), 0);
    EXPECT_EQ(counter(), u"0/0"_s);
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_FALSE(child<QPushButton>("_nextRecord")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("_prevRecord")->isEnabled());

    choose(encoding, encoding->findText(CATextEncodings::displayName(CATextEncodings::kISOLatin1)));
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(cell(0, CATextImportDialog::DataColumn), u"Ren\u00e9"_s);
}

// OK and Cancel both hand the working registry to the text; only OK confirms.
class CATextImportDialogAnswerTest : public CATextImportDialogTest, public testing::WithParamInterface<bool>
{
};

TEST_P(CATextImportDialogAnswerTest, AnswerAndRegistry)
{
    const bool confirm = GetParam();
    CADelimitedText text(kSampleCsv);
    QTimer::singleShot(0, &dialog, [&] {
        choose(dialog.keyPopupOfColumn(3), key(u"custom2"_s));
        QTest::mouseClick(child<QDialogButtonBox>("buttonBox")
                              ->button(confirm ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel),
                          Qt::LeftButton);
    });
    const int answer = dialog.openDialog(text, options);
    EXPECT_EQ(answer, confirm ? CATextImportDialog::kConfirmed : CATextImportDialog::kCancelled);
    EXPECT_EQ(text.registry().value(u"custom2"_s, -1), 3);
    EXPECT_EQ(text.registry().value(u"firstname"_s, -1), 0);
}

INSTANTIATE_TEST_SUITE_P(OkAndCancel, CATextImportDialogAnswerTest, testing::Values(true, false));

// An import through the dialog reads the file only when the user chooses Import: Cancel, Escape
// and the window's close button end it with nothing.
TEST(CATextImportDialogEndTest, OnlyImportReadsTheFile)
{
    const auto button = [](QDialog &dialog, QDialogButtonBox::StandardButton which) {
        return dialog.findChild<QDialogButtonBox *>(u"buttonBox"_s)->button(which);
    };
    const struct
    {
        const char *name;
        std::function<void(QDialog &)> end;
        bool imported;
    } cases[] = {
        {"Import", [&](QDialog &d) { QTest::mouseClick(button(d, QDialogButtonBox::Ok), Qt::LeftButton); }, true},
        {"Return", [](QDialog &d) { QTest::keyClick(&d, Qt::Key_Return); }, true},
        {"Cancel", [&](QDialog &d) { QTest::mouseClick(button(d, QDialogButtonBox::Cancel), Qt::LeftButton); }, false},
        {"Escape", [](QDialog &d) { QTest::keyClick(&d, Qt::Key_Escape); }, false},
        {"close button", [](QDialog &d) { d.close(); }, false},
    };
    CATextImportOptions options;
    options.showDialog = true;
    CAContactImportHooks hooks;
    hooks.confirmTextImport = &CATextImportDialog::confirm;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        bool ended = false;
        QTimer::singleShot(0, [&] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                auto *dialog = qobject_cast<CATextImportDialog *>(widget);
                if (dialog && dialog->isVisible()) {
                    ended = true;
                    c.end(*dialog);
                    return;
                }
            }
        });
        const std::optional<CAPersonList> persons =
            CATextFileImport::peopleFromData(kSampleCsv, options, nullptr, nullptr, hooks);
        EXPECT_TRUE(ended);
        ASSERT_EQ(persons.has_value(), c.imported);
        if (persons) {
            EXPECT_EQ(persons->size(), 5);
        }
    }
}

// A Turkish file of the corpus imported under the Turkish locale, as a user imports it: the
// dialog's encoding shows the code page the file reads right in (by the toolkit's converter), and
// its rows the names as written; Import gives those names. The list of encodings stored for the
// dialog stays as it was, and the next import of a file of plain letters offers only that list.
TEST(CATextImportDialogWeighedTest, AWeighedCodePageIsOfferedForThatImportOnly)
{
    std::optional<eightbitcorpus::CorpusFile> turkish;
    for (const eightbitcorpus::CorpusFile &file : eightbitcorpus::corpusFiles()) {
        QStringDecoder western("windows-1252");
        if (!turkish && file.language == u"tr" && QString(western.decode(file.bytes())).section(u'\n', 1) != file.original())
            turkish = file;
    }
    ASSERT_TRUE(turkish.has_value());
    const eightbitcorpus::LocaleNamed locale(eightbitcorpus::localeName(u"own"_s, turkish->language));
    const PWPlist::Array stored = CAEnvironment::getEncodingList();
    CATextImportOptions options;
    options.showDialog = true;
    options.encodingChoice = true;
    CAContactImportHooks hooks;
    hooks.confirmTextImport = &CATextImportDialog::confirm;
    QString shown;
    QString firstCell;
    QTimer::singleShot(0, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<CATextImportDialog *>(widget);
            if (!dialog || !dialog->isVisible())
                continue;
            auto *encodings = dialog->findChild<QComboBox *>(u"_encodingButton"_s);
            shown = encodings->currentText();
            firstCell = dialog->findChild<QTableWidget *>(u"_tableView"_s)->item(0, CATextImportDialog::DataColumn)->text();
            QTest::mouseClick(dialog->findChild<QDialogButtonBox *>(u"buttonBox"_s)->button(QDialogButtonBox::Ok),
                              Qt::LeftButton);
            return;
        }
    });
    const std::optional<CAPersonList> persons = CATextFileImport::peopleFromData(turkish->bytes(), options, nullptr, nullptr, hooks);
    ASSERT_TRUE(persons.has_value());
    const QStringList original = turkish->original().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(persons->size(), original.size());
    for (qsizetype i = 0; i < original.size(); ++i)
        EXPECT_EQ(persons->at(i)->stringForProperty(kPWFirstNameProperty), original.at(i).section(u',', 0, 0));
    EXPECT_EQ(firstCell, original.first().section(u',', 0, 0));
    // The encoding shown reads the file right by the toolkit's own converter.
    const std::optional<quint32> chosen = CATextEncodings::fromName(shown);
    ASSERT_TRUE(chosen.has_value()) << qPrintable(shown);
    QStringDecoder decoder(CATextEncodings::name(*chosen).toLatin1().constData());
    EXPECT_EQ(QString(decoder.decode(turkish->bytes())).section(u'\n', 1), turkish->original());
    // Offered for this import only: the stored list is as it was, and a file of plain letters
    // offers the stored list alone.
    EXPECT_EQ(CAEnvironment::getEncodingList(), stored);
    const bool storedHasIt = std::any_of(stored.cbegin(), stored.cend(), [&](const PWPlist &entry) {
        return CATextEncodings::fromStoredText(entry.toString()) == chosen;
    });
    CADelimitedText plain(kSampleCsv);
    CATextImportDialog next;
    next.prepare(plain, options);
    auto *encodings = next.findChild<QComboBox *>(u"_encodingButton"_s);
    EXPECT_EQ(encodings->count(), stored.size());
    EXPECT_EQ(encodings->findText(shown) >= 0, storedHasIt);
}

} // namespace


// A settings file that does not read, as the window tells it: once, in the box that tells settings
// not saved, naming the file and the copy it is kept as; a later setting that cannot be used
// (a print-list person that does not read) is told without naming the file again.
#include "app/contacts/CAPrintListArray.h"
#include "app/shell/CASettingsSaveMonitor.h"
#include "platform/PWPlist.h"
#include "platform/PWUserDefaults.h"

#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QMessageBox *shownSettingsBox()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(widget);
            box && box->objectName() == u"_settingsNotSaved"_s && box->isVisible())
            return box;
    return nullptr;
}

void closeShownSettingsBox()
{
    if (QMessageBox *box = shownSettingsBox())
        box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(SettingsDamagedShellTest, ADamagedFileIsToldOnceWithTheCopyItIsKeptAs)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath(u"Parcelwick.plist"_s);
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString keptAs;
    } rows[] = {
        {"garbage", "garbage, no property list", u".corrupt"_s},
        {"a list at the top", PWPlist(PWPlist::Array {PWPlist::fromInteger(1)}).toXml(), u".corrupt-2"_s},
        {"empty", QByteArray(), u".corrupt-3"_s},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(pwtest::writeFile(file, row.bytes));
        PWUserDefaults defaults(file);
        CASettingsSaveMonitor monitor(defaults, &CASettingsSaveMonitor::tellInWindow);
        ASSERT_TRUE(QTest::qWaitFor([] { return shownSettingsBox() != nullptr; }, pwtest::kEventWaitMs));
        QMessageBox *box = shownSettingsBox();
        EXPECT_EQ(box->text(), u"Parcelwick could not use all of your settings."_s);
        EXPECT_TRUE(box->informativeText().contains(u"The settings file %1 could not be read"_s.arg(file)))
            << qPrintable(box->informativeText());
        EXPECT_TRUE(box->informativeText().contains(u"it is kept as %1"_s.arg(file + row.keptAs)))
            << qPrintable(box->informativeText());
        EXPECT_EQ(monitor.toldCount(), 1);

        // The next thing not used is told by itself: the file is not named again.
        closeShownSettingsBox();
        PWPlist::Dictionary list {{u"Name"_s, PWPlist::fromString(u"Club"_s)},
                                  {u"Persons"_s, PWPlist(PWPlist::Array {PWPlist::fromString(u"Ada"_s)})}};
        defaults.setObject(u"PrintListArray"_s, PWPlist(PWPlist::Array {PWPlist(list)}));
        CAPrintListArray lists(defaults);
        lists.load();
        ASSERT_TRUE(QTest::qWaitFor([] { return shownSettingsBox() != nullptr; }, pwtest::kEventWaitMs));
        box = shownSettingsBox();
        EXPECT_TRUE(box->informativeText().contains(u"Person 1 of the print list \"Club\" could not be read"_s))
            << qPrintable(box->informativeText());
        EXPECT_FALSE(box->informativeText().contains(file + u" could not be read"_s)) << qPrintable(box->informativeText());
        EXPECT_EQ(monitor.toldCount(), 2);
        closeShownSettingsBox();
        // Every copy kept so far is there as it was.
        EXPECT_EQ(QDir(folder.path()).entryList({u"Parcelwick.plist.corrupt*"_s}).size(), int(&row - rows) + 1);
        QFile::remove(file);
    }
}

// Every line of the box ends with one stop, whether the problem was noted as a sentence of its
// own (a list that is no list) or as a clause (a person that does not read).
TEST(SettingsDamagedShellTest, EachDamagedListLineEndsWithOneStop)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const PWPlist::Dictionary unreadPerson {{u"Name"_s, PWPlist::fromString(u"Club"_s)},
                                            {u"Persons"_s, PWPlist(PWPlist::Array {PWPlist::fromString(u"Ada"_s)})}};
    const PWPlist::Dictionary personsNoList {{u"Name"_s, PWPlist::fromString(u"Team"_s)},
                                             {u"Persons"_s, PWPlist::fromString(u"Bob"_s)}};
    const struct
    {
        const char *name;
        PWPlist lists;
        QString said;
    } rows[] = {
        {"persons no list", PWPlist(PWPlist::Array {PWPlist(personsNoList)}), u"kept as it was stored."_s},
        {"a list no dictionary", PWPlist(PWPlist::Array {PWPlist::fromString(u"Club"_s)}), u"kept as it was stored."_s},
        {"lists no list", PWPlist::fromString(u"Club"_s), u"until a print list is made."_s},
        {"a person that does not read", PWPlist(PWPlist::Array {PWPlist(unreadPerson)}), u"kept as it was stored."_s},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        PWUserDefaults defaults(folder.filePath(u"%1.plist"_s.arg(int(&row - rows))));
        CASettingsSaveMonitor monitor(defaults, &CASettingsSaveMonitor::tellInWindow);
        defaults.setObject(u"PrintListArray"_s, row.lists);
        CAPrintListArray lists(defaults);
        lists.load();
        ASSERT_TRUE(QTest::qWaitFor([] { return shownSettingsBox() != nullptr; }, pwtest::kEventWaitMs));
        const QString told = shownSettingsBox()->informativeText();
        EXPECT_TRUE(told.endsWith(row.said)) << qPrintable(told);
        for (const QString &line : told.split(u'\n'))
            EXPECT_TRUE(line.endsWith(u'.') && !line.endsWith(u".."_s)) << qPrintable(line);
        closeShownSettingsBox();
    }
}

} // namespace

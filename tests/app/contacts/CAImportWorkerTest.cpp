// The import worker: a long vCard import on its own thread under a window-modal progress dialog,
// stopped with the dialog's Stop button, and what each ending leaves in the list it was to replace.
#include "TestSupport.h"

#include "app/contacts/CAImportProgressDialog.h"
#include "app/contacts/CAImportWorker.h"
#include "app/contacts/CAVCFSource.h"

#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

namespace {

QByteArray vCards(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Imported" + QByteArray::number(i) + ";Alex;;;\r\nEND:VCARD\r\n";
    return bytes;
}

CAPersonList previousList()
{
    CAPersonList persons;
    for (int i = 0; i < 3; ++i)
        persons.append(PWPerson::create());
    return persons;
}

// Waits on the main thread, events flowing, until done() or ten seconds.
template <typename Done>
bool waitUntil(Done done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

class CAImportWorkerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        m_file = m_folder.filePath(QStringLiteral("large.vcf"));
        ASSERT_TRUE(pwtest::writeFile(m_file, vCards(kCards)));
        m_window.resize(400, 300);
        m_window.show();
    }

    // The vCard import as the worker runs it. With holdAt, the import waits at that record until
    // Stop was pressed, so that the stop falls midway whatever the machine's speed.
    CAImportWorker::Import vcfImport(int holdAt = -1) const
    {
        return [path = m_file, holdAt](CAImportProgress &progress, QString *reason) -> std::optional<CAPersonList> {
            const CAPersonList persons =
                CAVCFSource::personFromVCFFile(path, reason, [&progress, holdAt](quint32 index, quint32 count) {
                    if (int(index) == holdAt) {
                        progress.report(index, count);
                        QElapsedTimer clock;
                        clock.start();
                        while (!progress.stopRequested && clock.elapsed() < 10000)
                            QThread::msleep(2);
                    }
                    return progress.report(index, count);
                });
            if (persons.isEmpty())
                return std::nullopt;
            return persons;
        };
    }

    CAImportProgressDialog *dialog() const { return m_window.findChild<CAImportProgressDialog *>(); }

    static constexpr int kCards = 5000;
    QTemporaryDir m_folder;
    QString m_file;
    QMainWindow m_window;
    CAImportWorker m_worker;
    CAPersonList m_list = previousList();
};

TEST_F(CAImportWorkerTest, FinishedImportReplacesTheListOnTheMainThread)
{
    QSignalSpy finished(&m_worker, &CAImportWorker::finished);
    const Qt::HANDLE mainThread = QThread::currentThreadId();
    Qt::HANDLE appliedOn = nullptr;
    ASSERT_TRUE(CAImportProgressDialog::launch(m_worker, &m_window, QStringLiteral("vCard"), vcfImport(),
                                               [this, &appliedOn](const CAPersonList &persons) {
                                                   appliedOn = QThread::currentThreadId();
                                                   m_list = persons;
                                               }));
    ASSERT_TRUE(dialog());
    EXPECT_EQ(dialog()->windowModality(), Qt::WindowModal);
    ASSERT_TRUE(waitUntil([&] { return finished.count() == 1; }));
    EXPECT_TRUE(finished.at(0).at(1).toBool());
    EXPECT_EQ(m_list.size(), kCards);
    EXPECT_EQ(m_list.first()->stringForProperty(kPWLastNameProperty), QStringLiteral("Imported0"));
    EXPECT_EQ(appliedOn, mainThread);
    EXPECT_FALSE(m_worker.lastImportFailed());
    EXPECT_EQ(m_worker.progress().recordCount.load(), quint32(kCards));
    EXPECT_FALSE(m_worker.isRunning());
    EXPECT_TRUE(waitUntil([&] { return dialog() == nullptr; })) << "the dialog closes itself";
}

TEST_F(CAImportWorkerTest, StopPressedMidwayLeavesThePreviousListIntact)
{
    QSignalSpy finished(&m_worker, &CAImportWorker::finished);
    bool applied = false;
    ASSERT_TRUE(CAImportProgressDialog::launch(m_worker, &m_window, QStringLiteral("vCard"), vcfImport(kCards / 2),
                                               [&](const CAPersonList &persons) {
                                                   applied = true;
                                                   m_list = persons;
                                               }));
    // The bar shows the import midway before the person presses Stop.
    ASSERT_TRUE(waitUntil([&] { return dialog() && dialog()->value() == kCards / 2; }));
    EXPECT_EQ(dialog()->maximum(), kCards);
    // A second import while one runs is refused: the caller runs its own directly.
    EXPECT_FALSE(m_worker.launch(QStringLiteral("other"), vcfImport(), nullptr));
    QAbstractButton *stop = nullptr;
    for (QAbstractButton *button : dialog()->findChildren<QAbstractButton *>()) {
        if (button->text() == QStringLiteral("Stop"))
            stop = button;
    }
    ASSERT_TRUE(stop);
    QTest::mouseClick(stop, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return finished.count() == 1; }));
    EXPECT_FALSE(finished.at(0).at(1).toBool());
    EXPECT_FALSE(applied);
    EXPECT_EQ(m_list.size(), 3);
    EXPECT_FALSE(m_worker.lastImportFailed()) << "a stop is no failure";
    EXPECT_LT(m_worker.progress().recordIndex.load(), quint32(kCards));

    // The next launch clears the stop left by this one and runs to its end.
    QSignalSpy again(&m_worker, &CAImportWorker::finished);
    ASSERT_TRUE(m_worker.launch(QStringLiteral("vCard"), vcfImport(), [&](const CAPersonList &persons) { m_list = persons; }));
    ASSERT_TRUE(waitUntil([&] { return again.count() == 1; }));
    EXPECT_EQ(m_list.size(), kCards);
}

TEST_F(CAImportWorkerTest, FailedImportKeepsTheListAndSaysItFailed)
{
    QSignalSpy finished(&m_worker, &CAImportWorker::finished);
    QFile::remove(m_file);
    bool applied = false;
    ASSERT_TRUE(m_worker.launch(QStringLiteral("vCard"), vcfImport(), [&](const CAPersonList &) { applied = true; }));
    ASSERT_TRUE(waitUntil([&] { return finished.count() == 1; }));
    EXPECT_FALSE(applied) << "an empty answer must not overwrite what was there";
    EXPECT_EQ(m_list.size(), 3);
    EXPECT_TRUE(m_worker.lastImportFailed());
    EXPECT_FALSE(m_worker.lastReason().isEmpty());
}

TEST_F(CAImportWorkerTest, ProgressCommandsOutsideAnImportChangeNothingButAnswerTheStop)
{
    m_worker.setRecordCount(40);
    EXPECT_FALSE(m_worker.setRecordIndex(7));
    EXPECT_EQ(m_worker.progress().recordCount.load(), 0u);
    EXPECT_EQ(m_worker.progress().recordIndex.load(), 0u);
    m_worker.requestStop();
    EXPECT_TRUE(m_worker.setRecordIndex(8)) << "the terminate command holds until the next launch";
}

} // namespace

// A design opened from its file lives on the windows' thread, however large the file: one large
// enough to be read on the file thread (made here of many texts besides a recipient panel) is
// as one read on the window's thread. Of the QObjects made on another thread while it was opened
// (Qt's own object hooks tell which objects were made where), none that goes with the design
// when it is closed stayed on that thread, and a word typed over the panel's city keeps the
// comma the format puts after it, as the watch over the field's typing sees to.
#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWVCardReader.h"
#include "app/shell/CAFileWork.h"

#include "../inspector/PanesWindowFixture.h"

#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

// Qt's hooks for tools that follow objects (exported by QtCore, laid out by its qhooks_p.h).
extern quintptr qtHookData[];

namespace {

enum : int { kHookDataSize = 1, kAddQObjectHook = 3, kRemoveQObjectHook = 4 };

// Every QObject made while it stands, with the thread that made it, until the object goes.
class MadeObjects
{
public:
    MadeObjects()
    {
        s_watch = this;
        m_added = std::exchange(qtHookData[kAddQObjectHook], reinterpret_cast<quintptr>(&added));
        m_removed = std::exchange(qtHookData[kRemoveQObjectHook], reinterpret_cast<quintptr>(&removed));
    }
    ~MadeObjects()
    {
        qtHookData[kAddQObjectHook] = m_added;
        qtHookData[kRemoveQObjectHook] = m_removed;
        s_watch = nullptr;
    }
    // The objects made on another thread than this one that are still alive (threads aside).
    std::vector<QObject *> madeElsewhere()
    {
        const std::lock_guard lock(m_mutex);
        std::vector<QObject *> found;
        for (const auto &[object, thread] : m_made)
            if (thread != std::this_thread::get_id() && !qobject_cast<QThread *>(object))
                found.push_back(object);
        return found;
    }

private:
    // Called inside QObject's constructor and destructor, on the thread that runs them: the
    // thread is told by its id, as asking Qt for it may make an object.
    static void added(QObject *object)
    {
        const std::lock_guard lock(s_watch->m_mutex);
        s_watch->m_made[object] = std::this_thread::get_id();
    }
    static void removed(QObject *object)
    {
        const std::lock_guard lock(s_watch->m_mutex);
        s_watch->m_made.erase(object);
    }

    static inline MadeObjects *s_watch = nullptr;
    std::mutex m_mutex;
    std::unordered_map<QObject *, std::thread::id> m_made;
    quintptr m_added = 0;
    quintptr m_removed = 0;
};

struct OpenedDesign
{
    const char *name;
    int texts; // besides the panel
    bool onFileThread;
};

class CAThreadedOpenTypingShellTest : public paneswindow::Test, public ::testing::WithParamInterface<OpenedDesign>
{
protected:
    CFTAAddressText *city() const
    {
        for (CFTComponent *component : canvas->ftView()->GetCurrentComponents())
            if (component->getClassID() == ciAddressPanel && component->GetToFrom())
                return static_cast<CFTAAddressPanel *>(component)->getAddressComponentWithTextCategory(tcCity);
        return nullptr;
    }
};

TEST_P(CAThreadedOpenTypingShellTest, TheOpenedDesignLivesOnTheWindowsThreadAndKeepsItsCommaWhileTyped)
{
    const OpenedDesign &row = GetParam();
    ASSERT_TRUE(qtHookData[kHookDataSize] > kRemoveQObjectHook) << "this QtCore has no object hooks";
    ASSERT_TRUE(start());
    ASSERT_TRUE(addRecipientPanel());
    canvas->document()->setCurrentPerson(
        PWVCardReader::personFromData("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\n"
                                      "ADR;TYPE=WORK:;;1 Main St;Portland;OR;97201;USA\r\nEND:VCARD\r\n")
            .get(),
        true, true, true);
    for (int i = 0; i < row.texts; ++i) {
        auto *text = new CFTAText(200.0 + (i % 40) * 4.0, (i / 40) * 4.0, 4.0, 4.0, nullptr);
        text->SetString(CDDString(QStringLiteral("T%1").arg(i)));
        canvas->document()->ftDocument()->AddObject(text, 0, false);
    }
    paint();
    ASSERT_TRUE(city());
    ASSERT_EQ(city()->GetString().getData(), u"Portland,"_s) << "the format puts its comma after the city";
    savePath = path(u"opened.pwdc"_s);
    ASSERT_TRUE(choose("saveDocument"));
    ASSERT_TRUE(choose("performClose"));
    ASSERT_EQ(QFileInfo(savePath).size() >= CAFileWork::kLongReadBytes, row.onFileThread)
        << "the design is not of the size the row reads";

    // Recorded from the open until the design is closed again: what goes with the design is
    // what it held.
    MadeObjects made;
    openPath = savePath;
    ASSERT_TRUE(perform("openDocument"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const std::vector<QObject *> elsewhere = made.madeElsewhere();
    ASSERT_TRUE(window(0));
    canvas = window(0)->docView();
    paint();
    // A large design's texts were made on the file thread.
    EXPECT_EQ(!elsewhere.empty(), row.onFileThread);
    std::vector<QObject *> left;
    for (QObject *object : elsewhere)
        if (object->thread() != QCoreApplication::instance()->thread())
            left.push_back(object);

    // The word the double click chooses typed over: the comma after it stays the format's.
    ASSERT_TRUE(city());
    ASSERT_EQ(city()->GetString().getData(), u"Portland,"_s);
    const QPoint at = pointOf(city());
    QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
    if (!canvas->isEditingText())
        QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
    ASSERT_TRUE(canvas->isEditingText());
    QTest::mouseDClick(canvas->viewport(), Qt::LeftButton, {}, at);
    QTest::keyClicks(canvas, u"Salem"_s);
    click(nullptr);
    ASSERT_FALSE(canvas->isEditingText());
    EXPECT_EQ(city()->GetString().getData(), u"Salem,"_s);
    EXPECT_EQ(stringForPersonCategory(canvas->document()->currentPerson(true).get(), adWork, tcCity, false), u"Salem"_s)
        << "the comma became part of the typed city";

    // Closed without saving, the design takes its objects with it: of those left on another
    // thread none was the design's (the file thread's own font cache stays with the thread).
    saveAnswer = CADocumentManager::SaveAnswer::DontSave;
    ASSERT_TRUE(choose("performClose"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const std::vector<QObject *> outlived = made.madeElsewhere();
    EXPECT_EQ(outlived.size() < elsewhere.size(), row.onFileThread) << "nothing made elsewhere went with the design";
    qsizetype designs = 0;
    for (QObject *object : left)
        designs += std::find(outlived.begin(), outlived.end(), object) == outlived.end();
    EXPECT_EQ(designs, 0) << "of " << left.size() << " objects left on another thread, of " << elsewhere.size()
                          << " made while the design was read";
}

INSTANTIATE_TEST_SUITE_P(Table, CAThreadedOpenTypingShellTest,
                         ::testing::Values(OpenedDesign {"ReadOnTheWindowsThread", 0, false},
                                           OpenedDesign {"ReadOnTheFileThread", 1800, true}),
                         [](const ::testing::TestParamInfo<OpenedDesign> &info) { return std::string(info.param.name); });

} // namespace

// A design whose stored picture is cut short, opened in a window: the user is told the picture
// cannot be read, and Ctrl+S writes the design back over its file without a question, the stored
// bytes still in it as they were.
#include "ShellTestSupport.h"

#include "kernel/base/FTImageArchive.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "platform/PWImage.h"
#include "platform/PWPlist.h"

namespace {

class CADamagedPictureShellTest : public shelltest::Test
{
};

// The stored picture of the file's one picture component, cut by its last byte; answers the cut bytes.
QByteArray cutStoredPicture(const QString &path)
{
    const std::optional<PWPlist> file = PWPlist::readFile(path);
    QByteArray cut;
    std::function<PWPlist(const PWPlist &)> walk = [&](const PWPlist &node) -> PWPlist {
        if (node.isArray()) {
            PWPlist::Array array;
            for (const PWPlist &element : node.toArray())
                array.append(walk(element));
            return array;
        }
        if (!node.isDictionary())
            return node;
        PWPlist::Dictionary dictionary;
        for (const auto &[key, value] : node.toDictionary()) {
            if (key == u"Picture"_s && value.isData()) {
                cut = value.toData().chopped(1);
                dictionary.insert(key, PWPlist::fromData(cut));
            } else {
                dictionary.insert(key, walk(value));
            }
        }
        return dictionary;
    };
    const QByteArray bytes = pwtest::readFile(path);
    const PWPlist changed = file ? walk(*file) : PWPlist();
    if (cut.isEmpty() || !pwtest::writeFile(path, bytes.startsWith("bplist") ? changed.toBinary() : changed.toXml()))
        return QByteArray();
    return cut;
}

QByteArray storedPicture(const PWPlist &node)
{
    for (const PWPlist &element : node.toArray())
        if (const QByteArray found = storedPicture(element); !found.isEmpty())
            return found;
    if (node.isDictionary())
        for (const auto &[key, value] : node.toDictionary()) {
            const QByteArray found = key == u"Picture"_s ? value.toData() : storedPicture(value);
            if (!found.isEmpty())
                return found;
        }
    return QByteArray();
}

} // namespace

TEST_F(CADamagedPictureShellTest, TheWindowNamesTheDamagedPictureAndSavingKeepsItsBytes)
{
    launch(1);
    const QString file = path(u"damaged.pwdc"_s);
    {
        QImage sample(30, 20, QImage::Format_RGB32);
        sample.fill(Qt::darkCyan);
        CADocument document(std::make_unique<CFTADocument>(dtPostcard, CDDString(u"us"_s), CDDString(u"us"_s)));
        auto *picture = new CFTPicture(CDDPicture(PWImage::fromQImage(sample)));
        picture->SetOrigin(10.0, 10.0);
        picture->SetSize(100.0, 100.0);
        document.ftDocument()->AddObject(picture, 0, false);
        ASSERT_TRUE(document.writeToFile(file));
    }
    const QByteArray cut = cutStoredPicture(file);
    ASSERT_FALSE(cut.isEmpty());

    QStringList told;
    QStringList replaceAsked;
    CADocumentManager::Questions &q = manager().questions();
    bool savingLoses = true;
    q.reportReadProblems = [&](QWidget *, const QString &, const QStringList &problems, bool loses, bool) {
        told += problems;
        savingLoses = loses;
    };
    q.confirmReplace = [&](QWidget *, const CAOpenDocument &, const QString &where) {
        replaceAsked.append(where);
        return CADocumentManager::ReplaceAnswer::Cancel;
    };
    const auto document = manager().openDocument(file);
    ASSERT_NE(document, nullptr);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told.first().contains(u"\"Picture\" of a component of class \"Picture\" cannot be read"_s))
        << told.first().toStdString();
    // The message says a save loses nothing: the picture is kept as it was.
    EXPECT_FALSE(savingLoses);

    auto *w = qobject_cast<CAMainWindowController *>(document->window.data());
    ASSERT_NE(w, nullptr);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    manager().updateChangeCount(document, 1);
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(replaceAsked.isEmpty()) << "nothing is lost by the save";
    EXPECT_FALSE(w->isWindowModified()) << "saved";
    const std::optional<PWPlist> saved = PWPlist::readFile(file);
    ASSERT_TRUE(saved);
    EXPECT_EQ(storedPicture(*saved), cut);
    ASSERT_TRUE(manager().closeDocument(document));
}

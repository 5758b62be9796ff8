// Contact cards brought into a design window several at once, or refused, through each way a user
// has: .vcf files and vCard data dropped on the canvas, and the same chosen with Edit > Paste. A
// design shows one person a side: a file's first card, and of several files the last one's,
// becomes the recipient in one undo step, and one line at the foot of the window says how many
// cards were not used and why a card was refused. A card brought alone says nothing.
#include "platform/PWBundle.h"
#include "platform/PWPasteboardTypes.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include "../inspector/PanesWindowFixture.h"
#include "TestSupport.h"

#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QRegularExpression>
#include <QStatusBar>
#include <QUrl>

namespace {

QByteArray personCard(const QString &last)
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + last.toUtf8() + ";Ann;;;\r\nFN:Ann " + last.toUtf8()
        + "\r\nADR;TYPE=WORK:;;1 Elm St;Salem;OR;97301;USA\r\nEND:VCARD\r\n";
}

// A card cut off before its end, as a truncated download or a copy broken off leaves it.
QByteArray cardWithoutEnd(const QString &last)
{
    QByteArray card = personCard(last);
    card.chop(int(qstrlen("END:VCARD\r\n")));
    return card;
}

// A card whose note runs past what any label shows: a megabyte and a bit of text.
QByteArray cardTooLarge(const QString &last)
{
    QByteArray card = personCard(last);
    card.insert(card.indexOf("END:VCARD"), "NOTE:" + QByteArray(1100 * 1000, 'n') + "\r\n");
    return card;
}

struct Card
{
    Card(const QString &name, const QString &refused = QString(), QByteArray (*maker)(const QString &) = &personCard)
        : last(name)
        , refusedFor(refused)
        , make(maker)
    {
    }
    QString last;
    // Empty for a card that reads; else a word the line must give as the reason it was refused.
    QString refusedFor;
    QByteArray (*make)(const QString &);
};

// Files of cards, each a list; brought as data, the files' cards come as one text.
struct Case
{
    const char *name;
    QList<QList<Card>> files;
};

const Case kCases[] = {
    {"OneCard", {{{u"Abe"_s}}}},
    {"SevenCardsInOneFile",
     {{{u"Abe"_s}, {u"Bly"_s}, {u"Cox"_s}, {u"Dun"_s}, {u"Eck"_s}, {u"Fay"_s}, {u"Gil"_s}}}},
    {"ThreeFiles", {{{u"Abe"_s}}, {{u"Bly"_s}}, {{u"Cox"_s}}}},
    {"CardsAndOneWithoutItsEnd", {{{u"Abe"_s}, {u"Bly"_s}}, {{u"Cox"_s, u"END:VCARD"_s, &cardWithoutEnd}}}},
    {"OneCardWithoutItsEnd", {{{u"Abe"_s, u"END:VCARD"_s, &cardWithoutEnd}}}},
    {"OneCardTooLarge", {{{u"Abe"_s, u"characters"_s, &cardTooLarge}}}},
};

enum class Way { DropFiles, DropData, PasteFiles, PasteData };

class CACardsBroughtShellTest : public paneswindow::Test, public ::testing::WithParamInterface<Way>
{
protected:
    bool files() const { return GetParam() == Way::DropFiles || GetParam() == Way::PasteFiles; }

    std::unique_ptr<QMimeData> offer(const Case &c, int index)
    {
        auto data = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        QByteArray all;
        for (qsizetype f = 0; f < c.files.size(); ++f) {
            QByteArray bytes;
            for (const Card &card : c.files[f])
                bytes += card.make(card.last);
            all += bytes;
            const QString file = path(u"%1-%2-%3.vcf"_s.arg(QString::fromLatin1(c.name)).arg(index).arg(f));
            EXPECT_TRUE(pwtest::writeFile(file, bytes));
            urls.append(QUrl::fromLocalFile(file));
        }
        if (files())
            data->setUrls(urls);
        else
            data->setData(PWPasteboardTypes::mimeTypeOf(PWPasteboardTypes::kVCard), all);
        return data;
    }
    void bring(std::unique_ptr<QMimeData> data)
    {
        if (GetParam() == Way::PasteFiles || GetParam() == Way::PasteData) {
            QGuiApplication::clipboard()->setMimeData(data.release());
            ASSERT_TRUE(choose("paste"));
            return;
        }
        const QPoint at = canvas->geometry().widgetPoint(QPointF(30.0, 30.0)).toPoint();
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas->viewport(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDragMoveEvent move(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas->viewport(), &move);
        QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas->viewport(), &drop);
        paint();
    }
    QString recipient() const
    {
        const std::shared_ptr<PWPerson> person = canvas->document()->currentPerson(true);
        return person ? person->stringForProperty(kPWLastNameProperty) : QString();
    }
    QString line() { return window(0)->notice(); }
};

TEST_P(CACardsBroughtShellTest, TheCardUsedIsOneStepAndALineTellsOfTheOthers)
{
    ASSERT_TRUE(start());
    ASSERT_NE(addRecipientPanel(), nullptr);
    forgetHistory();
    const QByteArray before = bytes();
    PWUndoManager *undo = canvas->document()->undoManager();
    int index = 0;
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        // What the case should give, from the cards as the test made them: of files the last
        // that holds a card that reads, of data the first card that reads.
        QString expected;
        int read = 0;
        int refused = 0;
        QStringList reasons;
        for (const QList<Card> &file : c.files) {
            QString firstOfFile;
            for (const Card &card : file) {
                if (!card.refusedFor.isEmpty()) {
                    ++refused;
                    reasons.append(card.refusedFor);
                    continue;
                }
                ++read;
                if (firstOfFile.isEmpty())
                    firstOfFile = card.last;
            }
            if (!firstOfFile.isEmpty() && (files() || expected.isEmpty()))
                expected = firstOfFile;
        }
        const int unused = read > 0 ? read - 1 : 0;

        bring(offer(c, index++));
        if (HasFatalFailure())
            return;
        EXPECT_EQ(recipient(), expected);
        const QString said = line();
        EXPECT_FALSE(said.contains(u'\n')) << qPrintable(said);
        if (unused == 0 && refused == 0) {
            EXPECT_EQ(said, QString()) << "a card brought alone needs no word";
        } else {
            EXPECT_TRUE(window(0)->statusBar()->isVisible());
            if (unused > 0) {
                EXPECT_TRUE(said.contains(QRegularExpression(u"\\b%1\\b"_s.arg(unused)))) << qPrintable(said);
            }
            for (const QString &reason : reasons)
                EXPECT_TRUE(said.contains(reason)) << qPrintable(said);
        }
        if (expected.isEmpty()) {
            EXPECT_FALSE(undo->canUndo()) << "a refused card changed the design";
            EXPECT_EQ(bytes(), before);
            continue;
        }
        // One step, named as for any drop of files, or of a contact; undone, the design is back.
        const QString step = GetParam() == Way::DropFiles ? u"INSERT_OBJECT"_s : u"CHANGE_PERSON"_s;
        EXPECT_EQ(undo->undoActionName(), PWLocalizedString(step));
        ASSERT_TRUE(choose("undo"));
        EXPECT_FALSE(undo->canUndo()) << "the cards came in more than one step";
        EXPECT_EQ(recipient(), QString());
        EXPECT_EQ(bytes(), before);
        EXPECT_EQ(line(), QString()) << "the line outlived what it spoke of";
        EXPECT_FALSE(window(0)->statusBar()->isVisible());
        forgetHistory();
    }
}

std::string wayName(const ::testing::TestParamInfo<Way> &info)
{
    static const char *const names[] = {"DropFiles", "DropData", "PasteFiles", "PasteData"};
    return names[int(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Ways, CACardsBroughtShellTest,
                         ::testing::Values(Way::DropFiles, Way::DropData, Way::PasteFiles, Way::PasteData), wayName);

} // namespace

#include "app/shell/CASampleDesignLibrary.h"

#include "AssistantTestSupport.h"

#include "app/canvas/CACanvasAddressEdits.h"
#include "app/shell/CAAssistantDesingController.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QDirIterator>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

using namespace assistanttest;

namespace {

// What the side check of a design of this family and category must find.
struct Sides
{
    bool sender;
    bool recipient;
};

Sides expectedSides(const QString &group, const QString &category)
{
    if (category == u"Handling"_s)
        return {false, false};
    if (group.startsWith(u"Return"_s))
        return {true, false};
    if (group.startsWith(u"Mailing"_s) || group.startsWith(u"Postcard"_s))
        return {false, true};
    return {true, true};
}

// Every design the build made opens as a design, whole, fits its size group, and the design
// step's side check finds the sides its family calls for.
TEST(SampleDesignLibraryTest, EverySampleOpensFitsItsGroupAndTheSideCheckHolds)
{
    const QStringList designs = sampleDesigns();
    ASSERT_GE(designs.size(), 15);
    useContentLibrary(sampleLibrary());
    CAAssistantDesingController step;
    int barcodes = 0;
    for (const QString &relative : designs) {
        SCOPED_TRACE(relative.toStdString());
        const QStringList parts = relative.split(u'/');
        ASSERT_EQ(parts.size(), 3);
        const QString path = QDir(sampleTemplates()).filePath(relative);

        CADocument document;
        QString error;
        ASSERT_TRUE(document.readFromFile(path, &error)) << error.toStdString();
        EXPECT_TRUE(document.readProblems().isEmpty()) << document.readProblems().join(u"; "_s).toStdString();
        const CFTADocument *design = document.ftDocument();
        const float longSide = float(std::max(design->getDocumentSizeX(0), design->getDocumentSizeY(0)));
        const float shortSide = float(std::min(design->getDocumentSizeX(0), design->getDocumentSizeY(0)));
        EXPECT_EQ(CATemplateFormat::getSizeGroupNameForSize(longSide, shortSide, int(design->getDocumentType())),
                  std::optional<QString>(parts.at(0)));
        EXPECT_FALSE(design->GetComponents(0, false).empty());
        // Nothing is cut off by the paper's edge. An address panel's frame keeps a least size
        // that a small label's lettering need not fill; the frame only has to start on the paper.
        const QRectF page(0.0, 0.0, design->getDocumentSizeX(0), design->getDocumentSizeY(0));
        for (CFTComponent *component : design->GetComponents(0, false)) {
            if (component->getType() == ctAddressPanel) {
                EXPECT_TRUE(page.contains(QPointF(component->GetOriginX(), component->GetOriginY())));
                // A barcode stands below the address, and the design says so where it keeps it.
                const auto *panel = static_cast<const CFTAAddressPanel *>(component);
                if (panel->getFormat() && panel->getFormat()->containKey(tcBarcode)) {
                    ++barcodes;
                    EXPECT_EQ(CACanvasAddressEdits::drawnBarcodeLocation(panel), 1);
                    EXPECT_EQ(panel->GetBarcodeLocation(), 1);
                }
                continue;
            }
            const QRectF bounds(component->GetOriginX(), component->GetOriginY(), component->GetSizeX(),
                                component->GetSizeY());
            EXPECT_TRUE(page.adjusted(-0.5, -0.5, 0.5, 0.5).contains(bounds))
                << "component of type " << int(component->getType()) << " at " << bounds.x() << "," << bounds.y()
                << " " << bounds.width() << "x" << bounds.height() << " on " << page.width() << "x" << page.height();
        }

        step.imageWithPath(path);
        step.checkDocSenderAndRecipient();
        const Sides sides = expectedSides(parts.at(0), parts.at(1));
        EXPECT_EQ(step.isDocHasSender(), sides.sender);
        EXPECT_EQ(step.isDocHasRecipient(), sides.recipient);
    }
    EXPECT_GT(barcodes, 0) << "some designs show a barcode";
    PWUserDefaults::standardUserDefaults().removeObject(u"FTSharedContentLibraryPath"_s);
}

// Each family of size groups has at least three designs in two categories besides "Handling";
// the #10 and DL envelopes have theirs.
TEST(SampleDesignLibraryTest, EveryFamilyHasDesignsInTwoCategoriesAndHandling)
{
    QHash<QString, QSet<QString>> categories;
    QHash<QString, int> ordinary;
    for (const QString &relative : sampleDesigns()) {
        const QStringList parts = relative.split(u'/');
        categories[parts.at(0)].insert(parts.at(1));
        if (parts.at(1) != u"Handling"_s)
            ++ordinary[parts.at(0)];
    }
    for (const QString &family : {u"Return"_s, u"Mailing"_s, u"Shipping"_s, u"Envelope"_s, u"Postcard"_s}) {
        SCOPED_TRACE(family.toStdString());
        int groups = 0;
        for (auto it = categories.cbegin(); it != categories.cend(); ++it) {
            if (!it.key().startsWith(family))
                continue;
            ++groups;
            EXPECT_GE(ordinary.value(it.key()), 3) << it.key().toStdString();
            EXPECT_GE(it.value().size(), 3) << it.key().toStdString();
            EXPECT_TRUE(it.value().contains(u"Handling"_s)) << it.key().toStdString();
        }
        EXPECT_GT(groups, 0);
    }
    for (const QString &id : {u"10"_s, u"DL"_s}) {
        std::optional<QString> group;
        for (const auto &format : *CATemplateFormat::predefLayouts(dtEnvelope))
            if (format->ID() == id)
                group = format->sizeGroup();
        ASSERT_TRUE(group.has_value()) << id.toStdString();
        EXPECT_TRUE(categories.contains(*group)) << id.toStdString() << " has no designs in " << group->toStdString();
    }
}

// Previews show what a user picks by: an envelope's recipient with its postal barcode and a sender,
// drawn with plenty of ink on white.
TEST(SampleDesignLibraryTest, EnvelopePreviewsShowSenderRecipientAndBarcode)
{
    std::optional<QString> group;
    for (const auto &format : *CATemplateFormat::predefLayouts(dtEnvelope))
        if (format->ID() == u"10"_s)
            group = format->sizeGroup();
    ASSERT_TRUE(group.has_value());
    const QString path = QDir(sampleTemplates()).filePath(*group + u"/Personal/Leaf.pwdc"_s);
    const std::unique_ptr<CFTADocument> design = CAAssistantDesingController::createDocumentFromPath(path);
    ASSERT_NE(design, nullptr);
    int barcodes = 0;
    int senders = 0;
    int pictures = 0;
    for (CFTComponent *component : design->GetComponents(0, false)) {
        if (auto *panel = dynamic_cast<CFTAAddressPanel *>(component)) {
            if (panel->GetToFrom() && panel->getAddressComponentWithTextCategory(tcBarcode))
                ++barcodes;
            if (!panel->GetToFrom())
                ++senders;
        }
        if (component->getType() == ctPicture)
            ++pictures;
    }
    EXPECT_EQ(barcodes, 1);
    EXPECT_EQ(senders, 1);
    EXPECT_EQ(pictures, 1);

    CAAssistantDesingController step;
    const QImage preview = step.imageWithPath(path);
    ASSERT_FALSE(preview.isNull());
    int ink = 0;
    for (int y = 0; y < preview.height(); y += 2)
        for (int x = 0; x < preview.width(); x += 2)
            if (qGray(preview.pixel(x, y)) < 128)
                ++ink;
    const double share = double(ink) / double((preview.width() / 2) * (preview.height() / 2));
    EXPECT_GT(share, 0.01);
    EXPECT_LT(share, 0.5);
}

// --- the first copy into the user's library -----------------------------------------------------

class SampleInstall : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        shipped = QDir(folder.path()).filePath(u"shipped"_s);
        ASSERT_TRUE(QDir().mkpath(shipped + u"/Mailing3/Business/Old"_s));
        ASSERT_TRUE(pwtest::writeFile(shipped + u"/Mailing3/Business/Classic.pwdc"_s, "one"));
        ASSERT_TRUE(pwtest::writeFile(shipped + u"/Mailing3/Business/Old/Framed.pwdc"_s, "two"));
        target = QDir(folder.path()).filePath(u"user/Library/Parcelwick/Templates/en.lproj"_s);
    }
    QTemporaryDir folder;
    QString shipped;
    QString target;
};

TEST_F(SampleInstall, CopiesIntoALibraryThatHasNoneAndNeverOverAUsersOwn)
{
    QString error;
    ASSERT_TRUE(CASampleDesignLibrary::installIfMissing(shipped, target, &error)) << error.toStdString();
    EXPECT_EQ(pwtest::readFile(target + u"/Mailing3/Business/Classic.pwdc"_s), QByteArray("one"));
    EXPECT_EQ(pwtest::readFile(target + u"/Mailing3/Business/Old/Framed.pwdc"_s), QByteArray("two"));
    EXPECT_FALSE(QFileInfo::exists(target + u".incoming"_s));

    // The user's own library is left as it is.
    ASSERT_TRUE(pwtest::writeFile(target + u"/Mailing3/Business/Classic.pwdc"_s, "mine"));
    ASSERT_TRUE(QFile::remove(target + u"/Mailing3/Business/Old/Framed.pwdc"_s));
    EXPECT_TRUE(CASampleDesignLibrary::installIfMissing(shipped, target));
    EXPECT_EQ(pwtest::readFile(target + u"/Mailing3/Business/Classic.pwdc"_s), QByteArray("mine"));
    EXPECT_FALSE(QFileInfo::exists(target + u"/Mailing3/Business/Old/Framed.pwdc"_s));
}

TEST_F(SampleInstall, AnEmptyFolderIsFilledAndNothingShippedChangesNothing)
{
    ASSERT_TRUE(QDir().mkpath(target));
    EXPECT_TRUE(CASampleDesignLibrary::installIfMissing(shipped, target));
    EXPECT_TRUE(QFileInfo::exists(target + u"/Mailing3/Business/Classic.pwdc"_s));

    const QString other = QDir(folder.path()).filePath(u"other"_s);
    EXPECT_TRUE(CASampleDesignLibrary::installIfMissing(QDir(folder.path()).filePath(u"missing"_s), other));
    EXPECT_FALSE(QFileInfo::exists(other));
}

TEST_F(SampleInstall, AFailedCopyLeavesNoHalfLibrary)
{
    // A file where the library's parent folder should be: the copy cannot be put in place.
    const QString blocked = QDir(folder.path()).filePath(u"blocked"_s);
    ASSERT_TRUE(pwtest::writeFile(blocked, "a file"));
    QString error;
    pwtest::LogCapture log;
    EXPECT_FALSE(CASampleDesignLibrary::installIfMissing(shipped, blocked + u"/Templates/en.lproj"_s, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(pwtest::readFile(blocked), QByteArray("a file"));
}

// A library a start left with entries but never completed (another start took its staging folder
// away, or it ended while copying) is completed by the next start; what it holds stays.
TEST_F(SampleInstall, AnIncompleteLibraryIsCompletedAtTheNextStart)
{
    ASSERT_TRUE(QDir().mkpath(target + u"/Mailing3/Business"_s));
    ASSERT_TRUE(pwtest::writeFile(target + u"/Mailing3/Business/Classic.pwdc"_s, "changed by the user"));
    QString error;
    ASSERT_TRUE(CASampleDesignLibrary::installIfMissing(shipped, target, &error)) << error.toStdString();
    EXPECT_EQ(pwtest::readFile(target + u"/Mailing3/Business/Classic.pwdc"_s), QByteArray("changed by the user"));
    EXPECT_EQ(pwtest::readFile(target + u"/Mailing3/Business/Old/Framed.pwdc"_s), QByteArray("two"));
    // Complete now: what the user removes later stays removed.
    ASSERT_TRUE(QFile::remove(target + u"/Mailing3/Business/Old/Framed.pwdc"_s));
    EXPECT_TRUE(CASampleDesignLibrary::installIfMissing(shipped, target));
    EXPECT_FALSE(QFileInfo::exists(target + u"/Mailing3/Business/Old/Framed.pwdc"_s));
}

// A library pointed at the shipped one is left as it is: nothing is written into what the
// application ships.
TEST_F(SampleInstall, TheShippedLibraryItselfIsLeftAlone)
{
    const QStringList before = QDir(shipped + u"/Mailing3/Business"_s).entryList(QDir::AllEntries | QDir::Hidden);
    EXPECT_TRUE(CASampleDesignLibrary::installIfMissing(shipped, shipped));
    EXPECT_EQ(QDir(shipped + u"/Mailing3/Business"_s).entryList(QDir::AllEntries | QDir::Hidden), before);
    EXPECT_EQ(QDir(shipped).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// Three first starts at the same moment: one seeds, the others find the library complete, and
// every shipped file is there.
TEST_F(SampleInstall, SimultaneousFirstStartsLeaveACompleteLibrary)
{
    for (int folderIndex = 0; folderIndex < 12; ++folderIndex) {
        const QString sub = shipped + u"/Many/Folder"_s + QString::number(folderIndex);
        ASSERT_TRUE(QDir().mkpath(sub));
        for (int file = 0; file < 25; ++file)
            ASSERT_TRUE(pwtest::writeFile(sub + u"/Design"_s + QString::number(file) + u".pwdc"_s, QByteArray(2048, 'd')));
    }
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    QList<pid_t> starts;
    for (int i = 0; i < 3; ++i) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(go[1]);
            char byte = 0;
            // Every start waits here until all are made, then all go at once.
            const bool released = ::read(go[0], &byte, 1) == 0;
            ::_exit(released && CASampleDesignLibrary::installIfMissing(shipped, target) ? 0 : 1);
        }
        ASSERT_GT(child, 0);
        starts.append(child);
    }
    ::close(go[0]);
    ::close(go[1]);
    for (const pid_t child : std::as_const(starts)) {
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    QStringList missing;
    QDirIterator it(shipped, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        if (pwtest::readFile(target + u'/' + QDir(shipped).relativeFilePath(file)) != pwtest::readFile(file))
            missing.append(QDir(shipped).relativeFilePath(file));
    }
    EXPECT_EQ(missing, QStringList());
    EXPECT_FALSE(QFileInfo::exists(target + u".incoming"_s));
}

TEST(SampleDesignLibraryTest, TheBuildsLibraryIsFoundAndItsEnglishTemplatesChosen)
{
    const QString library = CASampleDesignLibrary::shippedLibraryPath();
    ASSERT_FALSE(library.isEmpty());
    EXPECT_EQ(CASampleDesignLibrary::shippedTemplatesPath(library, u"de.lproj"_s),
              QDir(library).filePath(u"Parcelwick/Templates/en.lproj"_s));
    EXPECT_TRUE(CASampleDesignLibrary::shippedTemplatesPath(QString(), u"en.lproj"_s).isEmpty());
}

} // namespace

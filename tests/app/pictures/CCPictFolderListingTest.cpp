// The folder picture panes: which files are pictures, a folder listed at any depth, the
// postage-art popup, the custom folder's question and the basic shapes, driven as a user does.
#include "app/pictures/CACustomFolderBrowserView.h"
#include "app/pictures/CAPostartBrowserView.h"
#include "app/pictures/CAShapeBrowserView.h"
#include "app/pictures/CCPictCatalog.h"
#include "app/pictures/CCPictCatalogView.h"
#include "app/pictures/CCPictFolderListing.h"
#include "platform/PWUserDefaults.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

void writePicture(const QString &path, const char *format, QRgb colour = 0xff3366cc)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(12, 8, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(path, format)) << path.toStdString();
}

const QByteArray kListedEps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 20 10\n"
                              "newpath 0 0 moveto 20 10 lineto stroke\n%%EOF\n";

QStringList names(const QList<CCPictCatalog::Entry> &entries)
{
    QStringList list;
    for (const CCPictCatalog::Entry &entry : entries)
        list.append(entry.name + u'|' + entry.hint);
    list.sort();
    return list;
}

QStringList references(CCPictCatalog &catalog)
{
    QStringList list;
    for (int row = 0; row < catalog.numberOfRows(); ++row)
        for (int column = 0; column < catalog.numberOfColumns(); ++column)
            if (const CCPictCell *cell = catalog.cellAtRowColumn(row, column); cell && !cell->isEmpty())
                list.append(cell->imageReference());
    list.sort();
    return list;
}

// The folder of the listing case: a photo with its extension in capitals, an EPS, a text file
// and an "hpi" in a sub-folder.
void makeMixedFolder(const QString &folder)
{
    writePicture(folder + u"/Beach.JPG"_s, "JPG");
    writeFile(folder + u"/Logo.eps"_s, kListedEps);
    writeFile(folder + u"/notes.txt"_s, "not a picture");
    writeFile(folder + u"/more/Badge.hpi"_s, "HPI?");
}

struct ExtensionCase
{
    const char *path;
    bool accepted;
};

class AcceptedPictureFiles : public ::testing::TestWithParam<ExtensionCase>
{
};

// Captures the pictures log while it lives.
class LogCapture
{
public:
    LogCapture()
    {
        s_lines.clear();
        m_previous = qInstallMessageHandler(handler);
    }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    int count(const QString &part) const
    {
        return int(std::count_if(s_lines.begin(), s_lines.end(), [&](const QString &line) { return line.contains(part); }));
    }

private:
    static void handler(QtMsgType, const QMessageLogContext &, const QString &message) { s_lines.append(message); }
    static inline QStringList s_lines;
    QtMessageHandler m_previous;
};

} // namespace

TEST_P(AcceptedPictureFiles, ByExtensionInAnyLetterCase)
{
    EXPECT_EQ(CCPictFolderListing::isAcceptedPictureFile(QString::fromUtf8(GetParam().path)), GetParam().accepted)
        << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(Files, AcceptedPictureFiles,
                         ::testing::Values(ExtensionCase {"/a/Photo.JPG", true}, ExtensionCase {"/a/photo.jpeg", true},
                                           ExtensionCase {"/a/Logo.EPS", true}, ExtensionCase {"/a/page.ps", true},
                                           ExtensionCase {"/a/art.HPI", true}, ExtensionCase {"/a/doc.pdf", true},
                                           ExtensionCase {"/a/p.png", true}, ExtensionCase {"/a/p.tiff", true},
                                           ExtensionCase {"/a/notes.txt", false}, ExtensionCase {"/a/README", false},
                                           ExtensionCase {"/a/p.png.txt", false}));

TEST(CCPictFolderListing, MixedFolderListsThreePicturesByRelativePathCaptionedWithoutExtension)
{
    QTemporaryDir dir;
    makeMixedFolder(dir.path());
    const CCPictFolderListing::Listing listing = CCPictFolderListing::listFolder(dir.path(), true);
    EXPECT_EQ(names(listing.entries), (QStringList {u"Beach.JPG|Beach"_s, u"Logo.eps|Logo"_s, u"more/Badge.hpi|Badge"_s}));
    EXPECT_EQ(listing.leftOut, 1);
    EXPECT_FALSE(listing.truncated);
    // Unfiltered (postage art), the text file and the sub-folder get entries too.
    const CCPictFolderListing::Listing all = CCPictFolderListing::listFolder(dir.path(), false, u"Cat/"_s);
    EXPECT_EQ(all.entries.size(), 5);
    EXPECT_TRUE(names(all.entries).contains(u"Cat/notes.txt|notes"_s));
    EXPECT_TRUE(names(all.entries).contains(u"Cat/more|more"_s));
}

TEST(CCPictFolderListing, MissingFolderOrFileListsNothing)
{
    QTemporaryDir dir;
    writeFile(dir.path() + u"/file.png"_s, "x");
    for (const QString &folder : {dir.path() + u"/gone"_s, dir.path() + u"/file.png"_s, QString()})
        EXPECT_TRUE(CCPictFolderListing::listFolder(folder, true).entries.isEmpty()) << folder.toStdString();
    EXPECT_TRUE(CCPictFolderListing::postArtCategories(dir.path() + u"/gone"_s).isEmpty());
}

TEST(CCPictFolderListing, LinkLoopsPipesAndThousandsOfFilesEndAndListWhatIsThere)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + u"/big"_s;
    QDir().mkpath(folder);
    for (int i = 0; i < 3000; ++i)
        writeFile(folder + u"/p%1.png"_s.arg(i), QByteArray());
    // A link back to the top would make the walk endless if it were followed.
    ASSERT_TRUE(QFile::link(dir.path(), folder + u"/loop"_s));
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + u"/pipe.png"_s).constData(), 0600), 0);
    const CCPictFolderListing::Listing listing = CCPictFolderListing::listFolder(dir.path(), true);
    EXPECT_EQ(listing.entries.size(), 3000) << "a pipe is no picture file, whatever its name";
    EXPECT_FALSE(listing.truncated);
    CCPictCatalogView view;
    view.resize(300, 400);
    view.catalog()->changeBySearchInFolder(listing.entries, dir.path());
    EXPECT_EQ(view.catalog()->countImages(), 3000);
    // Empty files are no pictures: drawn as plates with captions, and nothing hangs.
    EXPECT_FALSE(view.catalog()->grab(QRect(0, 0, 300, 400)).isNull());
}

struct PostArtPopupCase
{
    const char *name;
    QStringList titles;
    std::optional<qint64> stored;
    std::optional<int> expected;
};

class PostArtPopup : public ::testing::TestWithParam<PostArtPopupCase>
{
};

TEST_P(PostArtPopup, OpensOnTheRememberedEntryElseMailingLabelsElseTheFirstCategory)
{
    EXPECT_EQ(CCPictFolderListing::initialPostArtEntry(GetParam().titles, GetParam().stored), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PostArtPopup,
    ::testing::Values(
        PostArtPopupCase {"MailingLabelsListedThird", {u"-"_s, u"Garden"_s, u"Holidays"_s, u"Mailing Labels"_s}, {}, 3},
        PostArtPopupCase {"NoMailingLabels", {u"-"_s, u"Garden"_s, u"Holidays"_s}, {}, 1},
        PostArtPopupCase {"Remembered", {u"-"_s, u"Garden"_s, u"Mailing Labels"_s}, 1, 1},
        PostArtPopupCase {"RememberedDash", {u"-"_s, u"Garden"_s, u"Mailing Labels"_s}, 0, 0},
        PostArtPopupCase {"IndexEqualToTheCountIsTheLast", {u"-"_s, u"A"_s, u"B"_s, u"C"_s}, 4, 3},
        PostArtPopupCase {"FarBeyondIsTheLast", {u"-"_s, u"A"_s, u"B"_s}, 1000, 2},
        PostArtPopupCase {"NegativeCountsAsNone", {u"-"_s, u"A"_s, u"Mailing Labels"_s}, -5, 2},
        PostArtPopupCase {"OnlyDash", {u"-"_s}, 2, std::nullopt}),
    [](const ::testing::TestParamInfo<PostArtPopupCase> &info) { return std::string(info.param.name); });

class FolderPanes : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PWUserDefaults::standardUserDefaults().removeObject(CACustomFolderBrowserView::kFolderKey);
        PWUserDefaults::standardUserDefaults().removeObject(CAPostartBrowserView::kCategoryKey);
    }
    void TearDown() override { SetUp(); }
    QTemporaryDir dir;
};

TEST_F(FolderPanes, PostArtOpensOnMailingLabelsAndRemembersTheChosenCategory)
{
    const QString root = dir.path() + u"/PostArt"_s;
    writePicture(root + u"/Garden/Rose.png"_s, "PNG");
    writePicture(root + u"/Mailing Labels/Envelope.png"_s, "PNG");
    writePicture(root + u"/Mailing Labels/Parcel.png"_s, "PNG");
    writePicture(root + u"/Holidays/Tree.png"_s, "PNG");
    writeFile(root + u"/loose.png"_s, "a file at the top is no category");
    {
        CAPostartBrowserView pane(root, nullptr);
        QComboBox *popup = pane.categoryPopup();
        ASSERT_EQ(popup->count(), 4) << "'-' and three folders";
        EXPECT_EQ(popup->itemText(0), u"-"_s);
        EXPECT_EQ(popup->currentText(), u"Mailing Labels"_s);
        EXPECT_EQ(pane.catalog()->countImages(), 2);
        EXPECT_TRUE(references(*pane.catalog()).contains(u"PREFIX_FILE"_s + root + u"/Mailing Labels/Parcel.png"_s));
        // The user picks another category from the popup.
        pane.show();
        const int garden = popup->findText(u"Garden"_s);
        popup->setCurrentIndex(garden);
        Q_EMIT popup->activated(garden);
        EXPECT_EQ(pane.catalog()->countImages(), 1);
        EXPECT_EQ(PWUserDefaults::standardUserDefaults().integerForKey(CAPostartBrowserView::kCategoryKey), garden);
        // "-" is no folder: an empty grid.
        popup->setCurrentIndex(0);
        Q_EMIT popup->activated(0);
        EXPECT_EQ(pane.catalog()->countImages(), 0);
        popup->setCurrentIndex(garden);
        Q_EMIT popup->activated(garden);
    }
    CAPostartBrowserView again(root, nullptr);
    EXPECT_EQ(again.categoryPopup()->currentText(), u"Garden"_s);
    CAPostartBrowserView missing(dir.path() + u"/none"_s, nullptr);
    EXPECT_EQ(missing.categoryPopup()->count(), 1);
    EXPECT_EQ(missing.catalog()->countImages(), 0);
}

TEST_F(FolderPanes, PostArtKeepsCellsOfWhatIsNoPictureAndLogsTheMissOnlyOnce)
{
    const QString root = dir.path() + u"/PostArt"_s;
    writePicture(root + u"/Mailing Labels/Envelope.png"_s, "PNG");
    writeFile(root + u"/Mailing Labels/ReadMe.txt"_s, "words");
    QDir().mkpath(root + u"/Mailing Labels/Old"_s);
    CAPostartBrowserView pane(root, nullptr);
    pane.resize(260, 300);
    EXPECT_EQ(pane.catalog()->countImages(), 3) << "the text file and the sub-folder keep their cells";
    LogCapture log;
    for (int redraw = 0; redraw < 3; ++redraw)
        pane.catalog()->grab();
    EXPECT_EQ(log.count(u"No ClipArt image reference"_s), 2) << "one line for each of the two cells, not one per redraw";
}

TEST_F(FolderPanes, CustomFolderListsTheStoredFolderWhenFirstShown)
{
    makeMixedFolder(dir.path());
    PWUserDefaults::standardUserDefaults().setString(CACustomFolderBrowserView::kFolderKey, dir.path());
    CACustomFolderBrowserView pane;
    int asked = 0;
    pane.setFolderQuestion([&](QWidget *, const QString &, CACustomFolderBrowserView::FolderAnswer) { ++asked; });
    EXPECT_FALSE(pane.isLoaded());
    EXPECT_EQ(pane.catalog()->countImages(), 0) << "nothing is listed before the pane is shown";
    pane.loadPictures();
    EXPECT_TRUE(pane.isLoaded());
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(references(*pane.catalog()),
              (QStringList {u"PREFIX_FILE"_s + dir.path() + u"/Beach.JPG"_s, u"PREFIX_FILE"_s + dir.path() + u"/Logo.eps"_s,
                            u"PREFIX_FILE"_s + dir.path() + u"/more/Badge.hpi"_s}));
}

TEST_F(FolderPanes, CancellingTheFirstQuestionLeavesThePaneEmptyAndAsksAgainNextTime)
{
    makeMixedFolder(dir.path());
    PWUserDefaults::standardUserDefaults().setString(CACustomFolderBrowserView::kFolderKey, dir.path() + u"/gone"_s);
    CACustomFolderBrowserView pane;
    EXPECT_TRUE(pane.dialogDirectory().isEmpty()) << "a remembered folder that has gone is forgotten";
    QStringList answers {QString(), dir.path()};
    int asked = 0;
    QString startedIn;
    pane.setFolderQuestion([&](QWidget *, const QString &start, CACustomFolderBrowserView::FolderAnswer answer) {
        ++asked;
        startedIn = start;
        answer(answers.takeFirst());
    });
    pane.loadPictures();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(startedIn, QDir::homePath());
    EXPECT_FALSE(pane.isLoaded());
    EXPECT_EQ(pane.catalog()->countImages(), 0);
    EXPECT_EQ(PWUserDefaults::standardUserDefaults().stringForKey(CACustomFolderBrowserView::kFolderKey),
              dir.path() + u"/gone"_s)
        << "a cancel stores nothing";
    pane.loadPictures();
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(pane.isLoaded());
    EXPECT_EQ(pane.catalog()->countImages(), 3);
    EXPECT_EQ(PWUserDefaults::standardUserDefaults().stringForKey(CACustomFolderBrowserView::kFolderKey), dir.path());
}

TEST_F(FolderPanes, BrowseButtonReplacesTheFolderAndACancelKeepsIt)
{
    makeMixedFolder(dir.path() + u"/one"_s);
    writePicture(dir.path() + u"/two/Only.png"_s, "PNG");
    PWUserDefaults::standardUserDefaults().setString(CACustomFolderBrowserView::kFolderKey, dir.path() + u"/one"_s);
    CACustomFolderBrowserView pane;
    QString next;
    CACustomFolderBrowserView::FolderAnswer pending;
    pane.setFolderQuestion([&](QWidget *, const QString &, CACustomFolderBrowserView::FolderAnswer answer) {
        pending = answer;
    });
    pane.show();
    pane.loadPictures();
    ASSERT_EQ(pane.catalog()->countImages(), 3);
    QTest::mouseClick(pane.browseButton(), Qt::LeftButton);
    ASSERT_TRUE(pending);
    EXPECT_TRUE(pane.isAsking());
    // A second click while the sheet is up asks nothing more.
    CACustomFolderBrowserView::FolderAnswer first = pending;
    pending = nullptr;
    QTest::mouseClick(pane.browseButton(), Qt::LeftButton);
    EXPECT_FALSE(pending);
    first(QString());
    EXPECT_EQ(pane.catalog()->countImages(), 3) << "a cancel leaves everything as it was";
    QTest::mouseClick(pane.browseButton(), Qt::LeftButton);
    ASSERT_TRUE(pending);
    pending(dir.path() + u"/two"_s);
    EXPECT_EQ(pane.dialogDirectory(), dir.path() + u"/two"_s);
    EXPECT_EQ(references(*pane.catalog()), QStringList {u"PREFIX_FILE"_s + dir.path() + u"/two/Only.png"_s});
}

TEST_F(FolderPanes, ShapesListOnlyPicturesAndADoubleClickChoosesTheShapeByFileName)
{
    const QString shapes = dir.path() + u"/BasicShapes"_s;
    writePicture(shapes + u"/5-Point Star.png"_s, "PNG");
    writePicture(shapes + u"/Circle.png"_s, "PNG");
    writePicture(shapes + u"/Not A Shape.png"_s, "PNG");
    writeFile(shapes + u"/ReadMe.txt"_s, "words");
    CAShapeBrowserView pane(shapes, nullptr);
    pane.resize(260, 300);
    pane.show();
    EXPECT_EQ(pane.catalog()->countImages(), 3);
    QSignalSpy chosen(&pane, &CAShapeBrowserView::shapeChosen);
    CCPictCatalog *catalog = pane.catalog();
    for (int index = 0; index < catalog->countImages(); ++index) {
        const int row = index / catalog->numberOfColumns();
        const int column = index % catalog->numberOfColumns();
        if (!catalog->cellAtRowColumn(row, column)->imageReference().endsWith(u"/5-Point Star.png"_s))
            continue;
        const QPoint at = catalog->cellFrameAtRowColumn(row, column).center().toPoint();
        QTest::mouseDClick(catalog, Qt::LeftButton, {}, at);
    }
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen.at(0).at(0).toString(), u"5-Point Star"_s);
    QTest::keyClick(catalog, Qt::Key_Return);
    ASSERT_EQ(chosen.size(), 2);
    CAShapeBrowserView missing(dir.path() + u"/none"_s, nullptr);
    EXPECT_EQ(missing.catalog()->countImages(), 0);
}

// Pictures of the content library and pictures inserted from files, as a person exports and saves
// them with the program: a picture stored by its library name is found in the library installed
// with the program when the account's own library holds nothing; one found nowhere is drawn as a
// placeholder, named, fails the job and keeps its name through opening and saving; and a PNG or
// JPEG is saved as the TIFF its key promises, which a TIFF reader reads.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "app/command/CACommandLine.h"

#include "kernel/base/CAEnvironment.h"

#include "kernel/base/CDDString.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWImage.h"
#include "platform/PWPictureRenderer.h"
#include "platform/PWPlist.h"
#include "platform/PWUserDefaults.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

using namespace Qt::StringLiterals;

namespace {

const QString kSaveAsTemplate = u"FTSaveAsTemplate"_s;

using commandtest::ScopedEnvironment;

// A card with one picture of 100 points square at (10, 10).
bool writeLibraryCard(const QString &path, const std::shared_ptr<PWImage> &image)
{
    if (!image)
        return false;
    CADocument document(std::make_unique<CFTADocument>(dtPostcard, CDDString(u"us"_s), CDDString(u"us"_s)));
    auto *picture = new CFTPicture(CDDPicture(image));
    picture->SetOrigin(10.0, 10.0);
    picture->SetSize(100.0, 100.0);
    document.ftDocument()->AddObject(picture, 0, false);
    return document.writeToFile(path);
}

// The same card saved as a design for the content library: its picture by its library name.
bool writeCardByName(const QString &path, const QString &libraryName)
{
    QImage thumbnail(8, 8, QImage::Format_RGB32);
    thumbnail.fill(Qt::magenta);
    std::shared_ptr<PWImage> image = PWImage::fromQImage(thumbnail);
    image->setName(u"FULLSIZE_"_s + libraryName);
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    defaults.setBool(kSaveAsTemplate, true);
    const bool written = writeLibraryCard(path, image);
    defaults.removeObject(kSaveAsTemplate);
    return written;
}

// Pixels of the placeholder's plate and pixels that are not white, inside the picture's frame.
std::pair<int, int> framePixels(const QImage &page)
{
    const QColor plate = PWPictureRenderer::placeholderColor();
    int placeholder = 0, inked = 0;
    for (int y = 12; y < 108 && y < page.height(); ++y)
        for (int x = 12; x < 108 && x < page.width(); ++x) {
            const QColor pixel = page.pixelColor(x, y);
            if (std::abs(pixel.red() - plate.red()) < 6 && std::abs(pixel.green() - plate.green()) < 6
                && std::abs(pixel.blue() - plate.blue()) < 6)
                ++placeholder;
            if (qGray(pixel.rgb()) < 240)
                ++inked;
        }
    return {placeholder, inked};
}

// The bytes of every TIFF representation of the images a design file holds.
void collectTiffs(const PWPlist &node, QList<QByteArray> *tiffs, int depth = 0)
{
    if (depth > 64)
        return;
    if (node.isDictionary()) {
        for (const auto &entry : node.toDictionary())
            collectTiffs(entry.second, tiffs, depth + 1);
    } else if (node.isArray()) {
        for (const PWPlist &item : node.toArray())
            collectTiffs(item, tiffs, depth + 1);
    } else if (node.isData()) {
        const std::optional<PWPlist> archive = PWPlist::parse(node.toData());
        if (!archive || !archive->isDictionary())
            return;
        const PWPlist::Array objects = archive->value(u"$objects"_s).toArray();
        for (const PWPlist &object : objects) {
            const PWPlist ref = object.isDictionary() ? object.value(u"NSTIFFRepresentation"_s) : PWPlist();
            if (ref.isUid() && ref.toUid() < quint64(objects.size()))
                tiffs->append(objects.at(qsizetype(ref.toUid())).toData());
        }
    }
}

QList<QByteArray> tiffsOf(const QString &design)
{
    QList<QByteArray> tiffs;
    const std::optional<PWPlist> file = PWPlist::parse(pwtest::readFile(design));
    if (file)
        collectTiffs(*file, &tiffs);
    return tiffs;
}

struct ByNameCase
{
    const char *name;
    QString libraryName;
    bool found;
};

void PrintTo(const ByNameCase &c, std::ostream *stream)
{
    *stream << c.name;
}

class PictureByNameTest : public ::testing::TestWithParam<ByNameCase>
{
};

} // namespace

// Exported in an account whose own content library is empty (never seeded): clip art of the
// installed library is drawn, and a name found nowhere is a placeholder that the job names and
// fails for. Opening and saving the design keeps the name in the file either way.
TEST_P(PictureByNameTest, ExportedInAFreshAccountAndSavedAgain)
{
    const ByNameCase &c = GetParam();
    QTemporaryDir work, home;
    ASSERT_TRUE(work.isValid() && home.isValid());
    ASSERT_TRUE(QFile::exists(QStringLiteral(PW_SAMPLE_LIBRARY_DIR "/ClipArt/Images/apple.png")));
    const QString design = work.filePath(u"by-name.pwdc"_s);
    ASSERT_TRUE(writeCardByName(design, c.libraryName));
    const QByteArray name = c.libraryName.toUtf8();
    ASSERT_TRUE(pwtest::readFile(design).contains(name));

    const QString out = work.filePath(u"by-name.pdf"_s);
    {
        const ScopedEnvironment fresh("HOME", QFile::encodeName(home.path()));
        const ScopedEnvironment data("XDG_DATA_HOME", QFile::encodeName(home.filePath(u"data"_s)));
        const ScopedEnvironment config("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(u"config"_s)));
        const commandtest::ProgramRun run = commandtest::runProgram({u"--export"_s, design, out});
        const auto [placeholder, inked] = framePixels(commandtest::exportedPage(out));
        if (c.found) {
            ASSERT_EQ(run.status, CACommandLine::kSuccess) << qPrintable(run.err);
            EXPECT_FALSE(run.err.contains(u"picture"_s)) << qPrintable(run.err);
            EXPECT_LT(placeholder, 200) << "no plate of 100 points square";
            EXPECT_GT(inked, 500) << "the clip art is drawn";
        } else {
            ASSERT_EQ(run.status, CACommandLine::kFailure) << qPrintable(run.err);
            EXPECT_EQ(run.err.count(u"the picture \"%1\" is not in the content library"_s.arg(c.libraryName)), 2)
                << "read and drawn as a placeholder: " << qPrintable(run.err);
            EXPECT_TRUE(run.err.trimmed().endsWith(u"1 picture was drawn as a placeholder"_s)) << qPrintable(run.err);
            EXPECT_GT(placeholder, 5000);
        }
        // Nothing was copied into the account.
        EXPECT_FALSE(QFileInfo::exists(home.filePath(u"data/Parcelwick/Library/ClipArt"_s)));
    }

    // Opened and saved over its own file, without a question: the name is still there.
    CAEnvironment::setInstalledContentLibraryPath(QStringLiteral(PW_SAMPLE_LIBRARY_DIR));
    struct Restore
    {
        ~Restore() { CAEnvironment::setInstalledContentLibraryPath(QString()); }
    } restore;
    CADocument document;
    QString error;
    ASSERT_TRUE(document.readFromFile(design, &error)) << qPrintable(error);
    EXPECT_EQ(document.readProblems().isEmpty(), c.found) << qPrintable(document.readProblems().join(u'\n'));
    EXPECT_FALSE(document.needsReplaceConfirmation(design));
    const qint64 before = QFileInfo(design).size();
    ASSERT_TRUE(document.writeToFile(design, &error)) << qPrintable(error);
    // A picture found is saved as its image; one found nowhere by its name, as it came.
    if (!c.found) {
        EXPECT_TRUE(pwtest::readFile(design).contains(name));
        EXPECT_EQ(QFileInfo(design).size(), before) << "the same design, byte for byte as long";
    }
}

INSTANTIATE_TEST_SUITE_P(Names, PictureByNameTest,
                         ::testing::Values(ByNameCase {"InstalledClipArt", u"apple.png"_s, true},
                                           ByNameCase {"InstalledClipArtInAFolder", u"Fruit/apple.png"_s, true},
                                           ByNameCase {"FoundNowhere", u"Flowers/lost-rose.png"_s, false}),
                         [](const ::testing::TestParamInfo<ByNameCase> &info) { return std::string(info.param.name); });

// A picture file inserted into a design is saved as TIFF: a TIFF reader (libtiff's tiffinfo, Qt's
// TIFF reader) reads what the design holds under the TIFF key, a one-bit picture CCITT Group 3
// compressed, a photo JPEG-compressed inside the TIFF, others without loss.
TEST(PictureInsertedTest, PictureFilesAreSavedAsTiffThatATiffReaderReads)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    QImage translucent(60, 40, QImage::Format_ARGB32);
    translucent.fill(QColor(30, 140, 200, 120));
    QImage ink(64, 32, QImage::Format_Mono);
    ink.setColor(0, qRgb(255, 255, 255));
    ink.setColor(1, qRgb(0, 0, 0));
    ink.fill(0);
    for (int y = 8; y < 24; ++y)
        for (int x = 8; x < 56; ++x)
            ink.setPixel(x, y, 1);
    QImage photo(320, 240, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x * 255 / 320, y * 255 / 240, (x + y) * 255 / 560));
    const struct
    {
        const char *name;
        QString file;
        QByteArray bytes;
        const char *scheme; // as tiffinfo names the compression
        QPoint at;
        QColor expected;
    } cases[] = {
        {"png with alpha",
         u"glass.png"_s,
         pwtest::encodedImage(translucent, "PNG"),
         "LZW",
         {30, 20},
         QColor(30, 140, 200, 120)},
        {"one-bit png", u"ink.png"_s, pwtest::encodedImage(ink, "PNG"), "CCITT Group 3", {20, 16}, Qt::black},
        {"jpeg photo",
         u"photo.jpg"_s,
         pwtest::encodedImage(photo, "JPG"),
         "JPEG",
         {160, 120},
         photo.pixelColor(160, 120)},
    };
    const QString tiffinfo = QStandardPaths::findExecutable(u"tiffinfo"_s);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString picture = work.filePath(c.file);
        ASSERT_TRUE(pwtest::writeFile(picture, c.bytes));
        const QString design = work.filePath(c.file + u".pwdc"_s);
        std::shared_ptr<PWImage> image = PWImage::fromFile(picture);
        ASSERT_TRUE(image);
        image->setName(u"PREFIX_FILE"_s + picture);
        ASSERT_TRUE(writeLibraryCard(design, image));

        const QList<QByteArray> tiffs = tiffsOf(design);
        ASSERT_EQ(tiffs.size(), 1);
        EXPECT_FALSE(pwtest::readFile(design).contains(c.bytes.left(64))) << "not the file's own bytes";
        QBuffer buffer;
        buffer.setData(tiffs.first());
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "tiff");
        const QImage back = reader.read();
        ASSERT_FALSE(back.isNull()) << qPrintable(reader.errorString());
        const QColor got = back.pixelColor(c.at);
        EXPECT_LE(std::abs(got.red() - c.expected.red()) + std::abs(got.green() - c.expected.green())
                      + std::abs(got.blue() - c.expected.blue()) + std::abs(got.alpha() - c.expected.alpha()),
                  24)
            << qPrintable(got.name(QColor::HexArgb)) << " for " << qPrintable(c.expected.name(QColor::HexArgb));

        if (tiffinfo.isEmpty())
            continue;
        const QString stored = work.filePath(c.file + u".tif"_s);
        ASSERT_TRUE(pwtest::writeFile(stored, tiffs.first()));
        QProcess info;
        info.start(tiffinfo, {stored});
        ASSERT_TRUE(info.waitForFinished(60000));
        const QString said = QString::fromUtf8(info.readAllStandardOutput());
        EXPECT_EQ(info.exitCode(), 0) << info.readAllStandardError().constData();
        EXPECT_TRUE(said.contains(u"Compression Scheme: %1"_s.arg(QLatin1String(c.scheme)))) << qPrintable(said);
    }
}

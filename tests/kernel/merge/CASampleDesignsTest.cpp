// The sample designs the build makes, as a user meets them: opened and saved again without a
// change, each is the same file byte for byte (also when drawn in between, and after a second
// round); the size the inspector shows for an address is the size its fields print at, and the
// barcode it shows is the one drawn.
#include "kernel/merge/CADocument.h"

#include "DocumentTestSupport.h"
#include "PrintingTestSupport.h"

#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/CDDArchiveKept.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/merge/CAPrintingViewChoice.h"
#include "platform/PWImage.h"
#include "platform/PWJobReport.h"
#include "platform/PWPersonProperties.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QTemporaryDir>

namespace {

const QString kDesignType = u"AddressDocumentType"_s;

QStringList sampleDesigns()
{
    QStringList found;
    QDirIterator it(QStringLiteral(PW_SAMPLE_LIBRARY_DIR), {u"*.pwdc"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(it.next());
    found.sort();
    return found;
}

// Draws every side of the design as the canvas would, on screen, one over the other.
QImage drawDesign(CADocument &document)
{
    CFTADocument *design = document.ftDocument();
    QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    CDDDrawer drawer(false, &painter);
    for (int side = 0; side < design->getSidesCount(); ++side)
        for (CFTComponent *component : design->GetComponents(side, false))
            component->Draw(&drawer, false, nullptr, false, false);
    return image;
}

// The pictures of every side of the design drawn one over the other as a print draws them, at
// the resolution given (pixels a point).
QImage drawPictures(CADocument &document, double resolution)
{
    CFTADocument *design = document.ftDocument();
    QImage image(int(700 * resolution), int(700 * resolution), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(resolution, resolution);
    CDDDrawer drawer(false, &painter);
    drawer.SetResolution(resolution);
    for (int side = 0; side < design->getSidesCount(); ++side)
        for (CFTComponent *component : design->GetComponents(side, false))
            if (dynamic_cast<CFTPicture *>(component))
                component->Draw(&drawer, false, nullptr, false, true);
    painter.end();
    return image;
}

// Gives every bitmap the design's pictures hold as a file's bytes all its pixels, decoded whole
// as they are read: the pictures as drawings had them before they were decoded at the scale drawn.
// Answers how many it gave them.
int decodeWhole(CADocument &document)
{
    int given = 0;
    CFTADocument *design = document.ftDocument();
    for (int side = 0; side < design->getSidesCount(); ++side) {
        for (CFTComponent *component : design->GetComponents(side, false)) {
            auto *picture = dynamic_cast<CFTPicture *>(component);
            if (!picture)
                continue;
            for (const CDDPicture *held : {static_cast<const CDDPicture *>(&picture->picture()), picture->getMask()}) {
                const std::shared_ptr<PWImage> image = held ? held->getData() : nullptr;
                if (!image)
                    continue;
                for (qsizetype i = 0; i < image->representations().size(); ++i) {
                    const PWImageRep rep = image->representations().at(i);
                    if (!rep.isBitmap() || !rep.isReadable() || rep.data().isEmpty() || rep.vectorDrawing())
                        continue;
                    const QImage whole = QImage::fromData(rep.data());
                    if (whole.isNull() || whole.size() != rep.pixelSize())
                        continue;
                    image->replaceRepresentation(i, PWImageRep::fromEncodedBitmap(rep.data(), whole, whole.size()));
                    ++given;
                }
            }
        }
    }
    return given;
}

// value with the side key of every field of every address panel left out, as a writer that
// keeps the side on the panel alone writes it; counts the keys taken.
PWPlist withoutFieldSides(const PWPlist &value, int *taken)
{
    if (value.isArray()) {
        PWPlist::Array list = value.toArray();
        for (PWPlist &entry : list)
            entry = withoutFieldSides(entry, taken);
        return PWPlist(list);
    }
    if (!value.isDictionary())
        return value;
    PWPlist::Dictionary dictionary = value.toDictionary();
    const bool panel = dictionary.value(key_ClassID).toString() == u"Address Panel"_s;
    for (const auto &[key, entry] : value.toDictionary()) {
        if (!panel || key != key_Components || !entry.isArray()) {
            dictionary.insert(key, withoutFieldSides(entry, taken));
            continue;
        }
        PWPlist::Array fields = entry.toArray();
        for (PWPlist &field : fields) {
            PWPlist::Dictionary keys = field.toDictionary();
            if (field.isDictionary() && keys.remove(key_AddressPanelToFrom)) {
                field = PWPlist(keys);
                ++*taken;
            }
        }
        dictionary.insert(key, PWPlist(fields));
    }
    return PWPlist(dictionary);
}

// Where two files part, for the failure message.
std::string firstDifference(const QByteArray &one, const QByteArray &other)
{
    qsizetype at = 0;
    while (at < one.size() && at < other.size() && one[at] == other[at])
        ++at;
    const qsizetype from = std::max<qsizetype>(0, at - 60);
    return "at byte " + std::to_string(at) + ": ..." + one.mid(from, 120).simplified().toStdString() + "... became ..."
           + other.mid(from, 120).simplified().toStdString();
}

QByteArray resaved(const QByteArray &bytes, bool draw)
{
    CADocument document;
    QString error;
    EXPECT_TRUE(document.loadDataRepresentation(bytes, kDesignType, &error)) << error.toStdString();
    if (draw)
        drawDesign(document);
    return document.dataRepresentationOfType(kDesignType);
}

class CASampleDesignsTest : public doctest::Test
{
};

// The designs in parts, every fourth one to a part, each part a test of its own: a loaded two-core
// machine reads and writes all of them twice in some four minutes.
constexpr int kResaveParts = 4;

class CASampleDesignsResaveTest : public CASampleDesignsTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(CASampleDesignsResaveTest, SaveAgainToTheSameBytes)
{
    const QStringList designs = sampleDesigns();
    ASSERT_GE(designs.size(), 10);
    for (qsizetype at = GetParam(); at < designs.size(); at += kResaveParts) {
        const QString &path = designs.at(at);
        SCOPED_TRACE(path.toStdString());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray original = file.readAll();
        for (const bool draw : {false, true}) {
            SCOPED_TRACE(draw ? "drawn" : "not drawn");
            const QByteArray once = resaved(original, draw);
            EXPECT_TRUE(once == original) << firstDifference(original, once);
            const QByteArray twice = resaved(once, draw);
            EXPECT_TRUE(twice == once) << firstDifference(once, twice);
        }
    }
}
INSTANTIATE_TEST_SUITE_P(Parts, CASampleDesignsResaveTest, ::testing::Range(0, kResaveParts));

// A field stands on its panel's side: left without its own side key, it is read, styled, saved and
// drawn as it is with it, on a sender's panel as on a recipient's. Each design is taken in the
// first size it is made in: its other sizes hold the same panels.
TEST_F(CASampleDesignsTest, AFieldWithoutItsSideIsReadOnItsPanelsSide)
{
    int taken = 0;
    QSet<QString> met;
    for (const QString &path : sampleDesigns()) {
        const QString design = path.section(u'/', -2);
        if (met.contains(design))
            continue;
        met.insert(design);
        SCOPED_TRACE(path.toStdString());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray original = file.readAll();
        const std::optional<PWPlist> whole = PWPlist::parse(original);
        ASSERT_TRUE(whole);
        const int before = taken;
        const PWPlist without = withoutFieldSides(*whole, &taken);
        if (taken == before)
            continue;
        CADocument read;
        CADocument readWithout;
        QString error;
        ASSERT_TRUE(read.loadDataRepresentation(original, kDesignType, &error)) << error.toStdString();
        ASSERT_TRUE(readWithout.loadDataRepresentation(without.toXml(), kDesignType, &error)) << error.toStdString();
        EXPECT_EQ(readWithout.readProblems(), QStringList());
        const QByteArray saved = read.dataRepresentationOfType(kDesignType);
        const QByteArray savedWithout = [&] {
            const CDDArchiveKept::Forgotten own;
            return readWithout.dataRepresentationOfType(kDesignType);
        }();
        EXPECT_TRUE(savedWithout == saved) << firstDifference(saved, savedWithout);
        EXPECT_TRUE(drawDesign(readWithout) == drawDesign(read));
    }
    EXPECT_GT(taken, 20);
}

// The inspector shows a panel's own text size and its barcode switch; the fields print.
TEST_F(CASampleDesignsTest, PanelsShowTheSizeAndBarcodeTheyPrint)
{
    int panels = 0;
    for (const QString &path : sampleDesigns()) {
        SCOPED_TRACE(path.toStdString());
        CADocument document;
        QString error;
        ASSERT_TRUE(document.readFromFile(path, &error)) << error.toStdString();
        for (CFTComponent *component : document.ftDocument()->GetComponents(0, false)) {
            if (component->getClassID() != ciAddressPanel)
                continue;
            const auto *panel = static_cast<const CFTAAddressPanel *>(component);
            ++panels;
            bool mixed = false;
            const std::optional<PWFont> shown = panel->GetFont(&mixed);
            ASSERT_TRUE(shown);
            EXPECT_FALSE(mixed);
            for (unsigned int i = 0; i < panel->addressComponentCount(); ++i) {
                const CFTComponent *field = panel->addressComponentAtIndex(i);
                if (field && field->GetTextCategory() != tcBarcode) {
                    EXPECT_EQ(field->GetFont(nullptr)->pointSize(), shown->pointSize());
                }
            }
            const bool drawn = panel->getFormat() && panel->getFormat()->containKey(tcBarcode);
            EXPECT_EQ(panel->IsBarcodeVisible(), drawn);
        }
    }
    EXPECT_GT(panels, 100);
}

// Each design prints its own sample person whole, as a batch print of it does: the job names
// nothing that fails it, and the address it shows is among the printed words.
TEST_F(CASampleDesignsTest, EachPrintsItsOwnSampleWhole)
{
    const QStringList designs = sampleDesigns();
    ASSERT_GE(designs.size(), 10);
    QTemporaryDir folder;
    for (const QString &path : designs) {
        // The handling signs merge no person: their texts are checked by the designs' own tests.
        if (path.contains(u"/Handling/"_s))
            continue;
        SCOPED_TRACE(path.toStdString());
        auto document = std::make_shared<CADocument>();
        QString error;
        ASSERT_TRUE(document->readFromFile(path, &error)) << error.toStdString();
        document->setupPrintInfo(document->printSettings().usePrinterSettings);
        std::unique_ptr<CAPrintingView> view =
            makePrintingViewForDocument(document, std::nullopt, document->printSettings(), true, &error);
        ASSERT_TRUE(view) << error.toStdString();
        view->setCopies(1);
        const PWJobReport report;
        const QString pdf = folder.filePath(u"sample.pdf"_s);
        ASSERT_TRUE(printtest::Test::printPdf(*view, pdf, &error, 300)) << error.toStdString();
        EXPECT_FALSE(report.failsJob()) << report.allLines().join(u'\n').toStdString();
        const std::shared_ptr<PWPerson> recipient = document->currentPerson(true);
        if (!document->hasAddressControls(true) || !recipient)
            continue;
        QStringList words;
        const printtest::PrintedPdf printed(pdf);
        for (const auto &[word, box] : printed.words(0))
            words.append(word);
        const QString last = recipient->valueForProperty(kPWLastNameProperty).toString();
        EXPECT_TRUE(last.isEmpty() || words.contains(last)) << last.toStdString() << " in " << words.join(u' ').toStdString();
    }
}

// Every design's pictures are drawn for an export as they were when each was decoded whole: the
// same pixels, but for resampling.
TEST_F(CASampleDesignsTest, PicturesDrawAsTheirWholeDecodingDoes)
{
    int pictures = 0;
    // A design of one name holds the same pictures on each paper it is made for: one of each.
    QSet<QString> names;
    for (const QString &path : sampleDesigns()) {
        const QString name = QFileInfo(path).fileName();
        if (names.contains(name))
            continue;
        names.insert(name);
        SCOPED_TRACE(path.toStdString());
        CADocument document;
        QString error;
        ASSERT_TRUE(document.readFromFile(path, &error)) << error.toStdString();
        const double resolution = 150 / 72.0;
        const QImage drawn = drawPictures(document, resolution);
        const int given = decodeWhole(document);
        if (given == 0)
            continue;
        pictures += given;
        const QImage whole = drawPictures(document, resolution);
        qint64 sum = 0;
        int most = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            const auto *a = reinterpret_cast<const QRgb *>(drawn.constScanLine(y));
            const auto *b = reinterpret_cast<const QRgb *>(whole.constScanLine(y));
            for (int x = 0; x < drawn.width(); ++x)
                for (const int delta : {qRed(a[x]) - qRed(b[x]), qGreen(a[x]) - qGreen(b[x]), qBlue(a[x]) - qBlue(b[x])}) {
                    sum += std::abs(delta);
                    most = std::max(most, std::abs(delta));
                }
        }
        const double mean = double(sum) / (3.0 * drawn.width() * drawn.height());
        EXPECT_LT(mean, 0.5);
        EXPECT_LE(most, 64);
    }
    EXPECT_GT(pictures, 0);
}

} // namespace

// The sample designs the build makes, as a user meets them: opened and saved again without a
// change, each is the same file byte for byte (also when drawn in between, and after a second
// round); the size the inspector shows for an address is the size its fields print at, and the
// barcode it shows is the one drawn.
#include "kernel/merge/CADocument.h"

#include "DocumentTestSupport.h"
#include "PrintingTestSupport.h"

#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/merge/CAPrintingViewChoice.h"
#include "platform/PWJobReport.h"
#include "platform/PWPersonProperties.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPainter>
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

// Draws every side of the design as the canvas would, on screen.
void drawDesign(CADocument &document)
{
    CFTADocument *design = document.ftDocument();
    QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    CDDDrawer drawer(false, &painter);
    for (int side = 0; side < design->getSidesCount(); ++side)
        for (CFTComponent *component : design->GetComponents(side, false))
            component->Draw(&drawer, false, nullptr, false, false);
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

TEST_F(CASampleDesignsTest, SaveAgainToTheSameBytes)
{
    const QStringList designs = sampleDesigns();
    ASSERT_GE(designs.size(), 10);
    for (const QString &path : designs) {
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

} // namespace

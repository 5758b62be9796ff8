#pragma once

#include "kernel/merge/CADocument.h"
#include "kernel/merge/CAPrintingView.h"

#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CAImageEx.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/printing/CACalibrationSettings.h"
#include "platform/PWPerson.h"
#include "platform/PWUserDefaults.h"
#include "platform/PWVCardReader.h"

#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

using namespace Qt::StringLiterals;

namespace printtest {

// A bare design of a roll label (by default), a sheet item or an envelope.
struct DesignGeometry
{
    documentType type = dtLabel;
    double width = 252.0;
    double height = 79.0;
    double printableWidth = 0.0;
    double printableHeight = 0.0;
    bool labelRoll = true;
    double offsetX = 0.0;
    double offsetY = 0.0;
};

// The pages of a printed PDF, read back with poppler; pages are asked for only below pageCount().
struct PrintedPdf
{
    explicit PrintedPdf(const QString &path) : document(Poppler::Document::load(path)) {}
    int pageCount() const { return document ? document->numPages() : 0; }
    QSizeF pageSize(int index) const { return document->page(index)->pageSizeF(); }
    QImage render(int index, double scale = 2.0) const
    {
        document->setPaperColor(Qt::white);
        return document->page(index)->renderToImage(72.0 * scale, 72.0 * scale).convertToFormat(QImage::Format_RGB32);
    }
    std::vector<std::pair<QString, QRectF>> words(int index) const
    {
        std::vector<std::pair<QString, QRectF>> found;
        for (const std::unique_ptr<Poppler::TextBox> &box : document->page(index)->textList())
            found.emplace_back(box->text(), box->boundingBox());
        return found;
    }
    QRectF wordBox(int index, const QString &text) const
    {
        for (const auto &[word, box] : words(index))
            if (word == text)
                return box;
        return QRectF();
    }
    std::unique_ptr<Poppler::Document> document;
};

// A label as the application makes a new one: the layout's sheet and default text size, a
// recipient panel for names and companies with its POSTNET barcode below.
inline std::shared_ptr<CADocument> newLabelDesign(const CATemplateFormat &layout)
{
    auto document = std::make_shared<CADocument>();
    document->setLayoutArangeComponents(layout, false);
    const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
        u"Name+Company"_s, u"us"_s, true, CAddressFormatController::kBarcodeBelow);
    auto panel = std::make_unique<CFTAAddressPanel>(true, format.get(), nullptr, false);
    panel->SetOrigin(8.0, 6.0);
    document->ftDocument()->AddObject(panel.release(), 0, false);
    return document;
}

class Test : public ::testing::Test
{
public:
    // What the shell does for documents at start-up: the United States, no sender, no capitals, no
    // address rules switched on, no printer calibrated.
    void SetUp() override
    {
        CAEnvironment::setDefaultCountry(u"us"_s);
        PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
        for (const QString &key : {u"FTConvertToUppercase"_s, u"FTSuppressCountryField"_s, u"FTCommaDelimitedAddress"_s, u"FTAddressAutoResize"_s})
            defaults.setBool(key, false);
        defaults.removeObject(CACalibrationSettings::kDefaultsKey);
        CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });
        CADocument::setPreparedDocumentSource({});
    }
    // Sam <last> of 1 Main St, Springfield, in the country; a company card when organisation is
    // given (address books keep the mark in "ABPersonFlags").
    static std::shared_ptr<PWPerson> person(const QString &last, const QString &country = u"USA"_s, const QString &organisation = QString())
    {
        QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + last.toUtf8() + ";Sam;;;\r\n";
        if (!organisation.isEmpty())
            card += "ORG:" + organisation.toUtf8() + ";\r\n";
        card += "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701;" + country.toUtf8() + "\r\nEND:VCARD\r\n";
        std::shared_ptr<PWPerson> result = PWVCardReader::personFromData(card);
        if (result && !organisation.isEmpty()) {
            if (!PWPerson::typeOfProperty(u"ABPersonFlags"_s))
                PWPerson::addPropertiesAndTypes({{u"ABPersonFlags"_s, PWPropertyType::String}});
            result->setValueForProperty(u"ABPersonFlags"_s, PWPlist::fromString(u"1"_s));
        }
        return result;
    }
    // Person0, Person1, ... in Canada, each drawn in a flat colour of its own by colourOf().
    static std::vector<std::shared_ptr<PWPerson>> persons(int count)
    {
        std::vector<std::shared_ptr<PWPerson>> list;
        for (int i = 0; i < count; ++i)
            list.push_back(person(u"Person%1"_s.arg(i), u"Canada"_s));
        return list;
    }
    static QColor colourOf(const QString &lastName)
    {
        static const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::magenta, Qt::cyan, Qt::yellow, Qt::darkRed};
        return lastName.startsWith(u"Person"_s) ? colours[lastName.mid(6).toInt() % 7] : QColor(Qt::gray);
    }
    static QString recipientName(const CADocument &document)
    {
        return stringForPersonCategory(document.currentPerson(true).get(), adWork, tcLastName, true);
    }
    static std::shared_ptr<CADocument> newLabelDesign(const CATemplateFormat &layout)
    {
        return printtest::newLabelDesign(layout);
    }
    // A 180 x 100 point label with a recipient panel and a sender panel, 12 and 8 points apart
    // from its neighbours, sent from the United States to Sam Own.
    static std::shared_ptr<CADocument> labelDesign()
    {
        auto kernel = std::make_unique<CFTADocument>(dtLabel, CDDString(u"us"_s), CDDString(u"us"_s));
        kernel->SetPredefinedLayout(false);
        kernel->setDocumentSizeX(180.0);
        kernel->setDocumentSizeY(100.0);
        kernel->SetHSpace(12.0);
        kernel->SetVSpace(8.0);
        const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
            u"Name+Company"_s, u"us"_s, false, CAddressFormatController::kBarcodeBelow);
        for (const bool toFrom : {true, false}) {
            auto panel = std::make_unique<CFTAAddressPanel>(toFrom, format.get(), nullptr, false);
            panel->SetOrigin(10.0, toFrom ? 40.0 : 5.0);
            kernel->AddObject(panel.release(), 0, false);
        }
        auto document = std::make_shared<CADocument>(std::move(kernel));
        document->setCurrentPerson(person(u"Sender"_s).get(), false, true, true);
        document->setCurrentPerson(person(u"Own"_s).get(), true, true, true);
        return document;
    }
    static CATemplateFormat grid(int columns, int rows)
    {
        CATemplateFormat format;
        format.setColumns(columns);
        format.setRows(rows);
        format.setItemWidth(180.0f);
        format.setItemHeight(100.0f);
        return format;
    }
    static std::shared_ptr<CADocument> makeDesign(const DesignGeometry &geometry)
    {
        auto kernel = std::make_unique<CFTADocument>(geometry.type, CDDString(u"us"_s), CDDString(u"us"_s));
        kernel->setDocumentSizeX(geometry.width);
        kernel->setDocumentSizeY(geometry.height);
        kernel->setPrintableSizeX(geometry.printableWidth);
        kernel->setPrintableSizeY(geometry.printableHeight);
        kernel->SetPageSize(CDDString(geometry.labelRoll ? u"Label Roll"_s : u"Letter"_s));
        kernel->SetDYMOOffsetX(geometry.offsetX);
        kernel->SetDYMOOffsetY(geometry.offsetY);
        return std::make_shared<CADocument>(std::move(kernel));
    }
    // Item images as the renderer makes them (the design with its bleed margin on every side), but
    // plain: the design area in the colour or else its recipient's, a black marker in its top-left
    // corner that shows how the item is turned, the bleed transparent. Two pixels a point.
    static constexpr double kMarkerSize = 20.0;
    static CAPrintingView::ItemRenderer plainRenderer(std::optional<QColor> colour = std::nullopt)
    {
        return [colour](CADocument &document, bool, bool, double, double bleed) -> std::shared_ptr<CAImageEx> {
            const QSizeF size(document.ftDocument()->getDocumentSizeX(0), document.ftDocument()->getDocumentSizeY(0));
            QImage image(((size + QSizeF(2 * bleed, 2 * bleed)) * 2).toSize(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            image.setDotsPerMeterX(5669);
            image.setDotsPerMeterY(5669);
            QPainter painter(&image);
            painter.scale(2.0, 2.0);
            painter.fillRect(QRectF(QPointF(bleed, bleed), size), colour.value_or(colourOf(recipientName(document))));
            painter.fillRect(QRectF(bleed, bleed, kMarkerSize, kMarkerSize), Qt::black);
            painter.end();
            return std::shared_ptr<CAImageEx>(CAImageEx::initWithImage(image));
        };
    }
    // A view of the design drawn by the plain renderer; the images it made with the system's
    // renderer while it was built are dropped.
    template <typename View>
    static std::unique_ptr<View> plainView(std::shared_ptr<CADocument> design, std::optional<CAPrintingView::PersonList> list,
                                           const CAPrintSettings &settings)
    {
        auto view = std::make_unique<View>(CAPrintingView::DocumentList {std::move(design)}, std::move(list), settings, true);
        view->setItemRenderer(plainRenderer());
        view->clearDocMapPreviewCache();
        view->refreshDocumentMap();
        return view;
    }
    static bool printPdf(CAPrintingView &view, const QString &path, QString *error = nullptr, int resolution = 1200, bool withPageLayout = false)
    {
        QPdfWriter writer(path);
        writer.setResolution(resolution);
        if (withPageLayout)
            writer.setPageLayout(view.printSettings().pageLayout());
        return view.printPages(writer, error);
    }
    static PrintedPdf printed(CAPrintingView &view, int resolution = 1200, bool withPageLayout = false)
    {
        QTemporaryDir folder;
        QString error;
        EXPECT_TRUE(printPdf(view, folder.filePath(u"job.pdf"_s), &error, resolution, withPageLayout)) << error.toStdString();
        return PrintedPdf(folder.filePath(u"job.pdf"_s));
    }
    static bool near(const QColor &a, const QColor &b, int tolerance = 40)
    {
        return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())})
            <= tolerance;
    }
    static QRectF boxOfColour(const QImage &image, const QColor &colour, double scale = 2.0)
    {
        QRect box;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                box |= near(QColor(image.pixel(x, y)), colour) ? QRect(x, y, 1, 1) : QRect();
        }
        return box.isNull() ? QRectF() : QRectF(box.x() / scale, box.y() / scale, box.width() / scale, box.height() / scale);
    }
    static ::testing::AssertionResult rectNear(const QRectF &actual, const QRectF &expected, double tolerance = 1.0)
    {
        const QRectF d(actual.topLeft() - expected.topLeft(), actual.size() - expected.size());
        if (std::max({std::abs(d.x()), std::abs(d.y()), std::abs(d.width()), std::abs(d.height())}) <= tolerance)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << actual.x() << ", " << actual.y() << " " << actual.width() << " x " << actual.height();
    }
    static QImage drawnPage(CAPrintingView &view, int page, const QSizeF &paper, double scale = 2.0, const QColor &background = QColor(255, 0, 255))
    {
        QImage image((paper * scale).toSize(), QImage::Format_RGB32);
        image.fill(background);
        QPainter painter(&image);
        painter.scale(scale, scale);
        view.drawPage(painter, page);
        return image;
    }
};

} // namespace printtest

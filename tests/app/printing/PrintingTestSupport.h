#pragma once

#include "app/document/CADocument.h"
#include "app/printing/CAPrintingView.h"

#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CAImageEx.h"
#include "kernel/foundation/CAEnvironment.h"
#include "kernel/printing/CACalibrationSettings.h"
#include "platform/PWPerson.h"
#include "platform/PWUserDefaults.h"
#include "platform/PWVCardReader.h"

#include <QColor>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QPdfWriter>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

#include <cmath>
#include <memory>
#include <optional>
#include <vector>

namespace printtest {

using namespace Qt::StringLiterals;

// What the shell does for documents at start-up: the United States, no sender, no capitals, no
// address rules switched on, no printer calibrated.
inline void prepareProcess()
{
    CAEnvironment::setDefaultCountry(u"us"_s);
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    for (const QString &key : {u"FTConvertToUppercase"_s, u"FTSuppressCountryField"_s, u"FTCommaDelimitedAddress"_s,
                               u"FTAddressAutoResize"_s})
        defaults.setBool(key, false);
    defaults.removeObject(CACalibrationSettings::kDefaultsKey);
    CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });
    CADocument::setPreparedDocumentSource({});
}

// Address books that mark company cards keep the mark in "ABPersonFlags".
inline void registerCompanyFlag()
{
    if (!PWPerson::typeOfProperty(u"ABPersonFlags"_s))
        PWPerson::addPropertiesAndTypes({{u"ABPersonFlags"_s, PWPropertyType::String}});
}

// Sam <last> of 1 Main St, Springfield, in the country ("USA", "Canada", ...); a company card when
// organisation is given.
inline std::shared_ptr<PWPerson> person(const QString &last, const QString &country = u"USA"_s,
                                        const QString &organisation = QString())
{
    QByteArray card =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + last.toUtf8() + ";Sam;;;\r\nFN:Sam " + last.toUtf8() + "\r\n";
    if (!organisation.isEmpty())
        card += "ORG:" + organisation.toUtf8() + ";\r\n";
    card += "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701;" + country.toUtf8() + "\r\nEND:VCARD\r\n";
    std::shared_ptr<PWPerson> result = PWVCardReader::personFromData(card);
    if (result && !organisation.isEmpty())
        result->setValueForProperty(u"ABPersonFlags"_s, PWPlist::fromString(u"1"_s));
    return result;
}

inline std::vector<std::shared_ptr<PWPerson>> persons(const QStringList &lastNames)
{
    std::vector<std::shared_ptr<PWPerson>> list;
    for (const QString &last : lastNames)
        list.push_back(person(last, u"Canada"_s));
    return list;
}

inline std::vector<std::shared_ptr<PWPerson>> persons(int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(u"Person%1"_s.arg(i));
    return persons(names);
}

inline std::unique_ptr<CFTAAddressPanel> panel(bool toFrom, double x, double y)
{
    const std::unique_ptr<CAddressFormat> format =
        CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
            u"Name+Company"_s, u"us"_s, false, CAddressFormatController::kBarcodeBelow);
    auto result = std::make_unique<CFTAAddressPanel>(toFrom, format.get(), nullptr, false);
    result->SetOrigin(x, y);
    return result;
}

// A 180 x 100 point label with a recipient panel and a sender panel, 12 and 8 points apart from
// its neighbours, sent from the United States to Sam Own.
inline std::shared_ptr<CADocument> labelDesign(double width = 180.0, double height = 100.0)
{
    auto kernel = std::make_unique<CFTADocument>(dtLabel, CDDString(u"us"_s), CDDString(u"us"_s));
    kernel->SetPredefinedLayout(false);
    kernel->setDocumentSizeX(width);
    kernel->setDocumentSizeY(height);
    kernel->SetHSpace(12.0);
    kernel->SetVSpace(8.0);
    kernel->AddObject(panel(true, 10.0, 40.0).release(), 0, false);
    kernel->AddObject(panel(false, 10.0, 5.0).release(), 0, false);
    auto document = std::make_shared<CADocument>(std::move(kernel));
    document->setCurrentPerson(person(u"Sender"_s).get(), false, true, true);
    document->setCurrentPerson(person(u"Own"_s).get(), true, true, true);
    return document;
}

inline CATemplateFormat grid(int columns, int rows)
{
    CATemplateFormat format;
    format.setDocumentType(dtLabel);
    format.setColumns(columns);
    format.setRows(rows);
    format.setItemWidth(180.0f);
    format.setItemHeight(100.0f);
    return format;
}

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
    bool counter = false;
};

inline std::shared_ptr<CADocument> makeDesign(const DesignGeometry &geometry)
{
    auto kernel = std::make_unique<CFTADocument>(geometry.type, CDDString(u"us"_s), CDDString(u"us"_s));
    kernel->setDocumentSizeX(geometry.width);
    kernel->setDocumentSizeY(geometry.height);
    kernel->setPrintableSizeX(geometry.printableWidth);
    kernel->setPrintableSizeY(geometry.printableHeight);
    kernel->SetPageSize(CDDString(geometry.labelRoll ? u"Label Roll"_s : u"Letter"_s));
    kernel->SetDYMOOffsetX(geometry.offsetX);
    kernel->SetDYMOOffsetY(geometry.offsetY);
    if (geometry.counter)
        kernel->AddObject(new CFTCounterField(20.0, 20.0, nullptr), 0, false);
    return std::make_shared<CADocument>(std::move(kernel));
}

// The colour the plain renderer fills a design with: one per recipient's last name, grey for none.
inline QColor colourForName(const QString &name)
{
    static const QMap<QString, QColor> colours {{u"Ann"_s, QColor(200, 0, 0)},
                                                {u"Bob"_s, QColor(0, 160, 0)},
                                                {u"Cid"_s, QColor(0, 0, 200)},
                                                {u"Dee"_s, QColor(200, 200, 0)},
                                                {u"Eve"_s, QColor(0, 200, 200)}};
    return colours.value(name, QColor(128, 128, 128));
}

// The marker in the design's top-left corner that shows how the item is turned.
inline constexpr double kMarkerSize = 20.0;
inline const QColor kMarkerColour(0, 0, 0);

// Item images as the renderer makes them (the design with its bleed margin on every side), but
// plain: the design area filled with its recipient's colour, a black square in its top-left
// corner, the bleed left transparent. Two pixels a point.
inline CAPrintingView::ItemRenderer plainRenderer()
{
    return [](CADocument &document, bool, bool, double, double bleed) -> std::shared_ptr<CAImageEx> {
        const CFTADocument *kernel = document.ftDocument();
        if (!kernel)
            return nullptr;
        const double width = kernel->getDocumentSizeX(0);
        const double height = kernel->getDocumentSizeY(0);
        QImage image(int(std::lround((width + 2 * bleed) * 2)), int(std::lround((height + 2 * bleed) * 2)),
                     QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        image.setDotsPerMeterX(int(std::lround(144.0 / 0.0254)));
        image.setDotsPerMeterY(int(std::lround(144.0 / 0.0254)));
        const std::shared_ptr<PWPerson> recipient = document.currentPerson(true);
        const QString name = recipient ? stringForPersonCategory(recipient.get(), adWork, tcLastName, true) : QString();
        QPainter painter(&image);
        painter.scale(2.0, 2.0);
        painter.fillRect(QRectF(bleed, bleed, width, height), colourForName(name));
        painter.fillRect(QRectF(bleed, bleed, kMarkerSize, kMarkerSize), kMarkerColour);
        painter.end();
        return std::shared_ptr<CAImageEx>(CAImageEx::initWithImage(image));
    };
}

// The pages of a printed PDF, read back with poppler.
class PrintedPdf
{
public:
    explicit PrintedPdf(const QString &path)
        : m_document(Poppler::Document::load(path))
    {
    }
    bool isValid() const { return m_document && !m_document->isLocked(); }
    int pageCount() const { return m_document ? m_document->numPages() : 0; }
    QSizeF pageSize(int index) const
    {
        const std::unique_ptr<Poppler::Page> page = this->page(index);
        return page ? page->pageSizeF() : QSizeF();
    }
    // The page at the given pixels per point, on white.
    QImage render(int index, double scale = 2.0) const
    {
        const std::unique_ptr<Poppler::Page> page = this->page(index);
        if (!page)
            return QImage();
        m_document->setPaperColor(Qt::white);
        return page->renderToImage(72.0 * scale, 72.0 * scale).convertToFormat(QImage::Format_RGB32);
    }
    QString text(int index) const
    {
        const std::unique_ptr<Poppler::Page> page = this->page(index);
        return page ? page->text(QRectF()).trimmed() : QString();
    }
    struct Word
    {
        QString text;
        QRectF box;
    };
    std::vector<Word> words(int index) const
    {
        std::vector<Word> found;
        if (const std::unique_ptr<Poppler::Page> page = this->page(index)) {
            for (const std::unique_ptr<Poppler::TextBox> &box : page->textList())
                found.push_back({box->text(), box->boundingBox()});
        }
        return found;
    }
    // The box of the first word of the text on the page; null when it is not there.
    QRectF wordBox(int index, const QString &text) const
    {
        for (const Word &word : words(index))
            if (word.text == text)
                return word.box;
        return QRectF();
    }

private:
    std::unique_ptr<Poppler::Page> page(int index) const { return m_document ? m_document->page(index) : nullptr; }
    std::unique_ptr<Poppler::Document> m_document;
};

// Prints the view into a PDF file at path, with the view's page layout when asked; answers whether
// the job succeeded, and its error in error.
inline bool printPdf(CAPrintingView &view, const QString &path, QString *error = nullptr, int resolution = 1200,
                     bool withPageLayout = false)
{
    QPdfWriter writer(path);
    writer.setResolution(resolution);
    if (withPageLayout)
        writer.setPageLayout(view.printSettings().pageLayout());
    return view.printPages(writer, error);
}

// Prints and reads back a job that must succeed.
inline PrintedPdf printed(CAPrintingView &view, const QString &path, int resolution = 1200, bool withPageLayout = false)
{
    QString error;
    EXPECT_TRUE(printPdf(view, path, &error, resolution, withPageLayout)) << error.toStdString();
    return PrintedPdf(path);
}

inline bool near(const QColor &a, const QColor &b, int tolerance = 40)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

// The bounding box, in points, of the pixels close to colour in an image of scale pixels a point.
inline QRectF boxOfColour(const QImage &image, const QColor &colour, double scale = 2.0)
{
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!near(QColor(image.pixel(x, y)), colour))
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0)
        return QRectF();
    return QRectF(left / scale, top / scale, (right - left + 1) / scale, (bottom - top + 1) / scale);
}

inline void expectRectNear(const QRectF &actual, const QRectF &expected, double tolerance = 1.0)
{
    EXPECT_NEAR(actual.left(), expected.left(), tolerance) << "left";
    EXPECT_NEAR(actual.top(), expected.top(), tolerance) << "top";
    EXPECT_NEAR(actual.width(), expected.width(), tolerance) << "width";
    EXPECT_NEAR(actual.height(), expected.height(), tolerance) << "height";
}

// What a drawing of the page leaves on an image of scale pixels a point over the background.
inline QImage drawnPage(CAPrintingView &view, int page, const QSizeF &paper, double scale = 2.0,
                        const QColor &background = QColor(255, 0, 255))
{
    QImage image(int(paper.width() * scale), int(paper.height() * scale), QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    painter.scale(scale, scale);
    view.drawPage(painter, page);
    painter.end();
    return image;
}

} // namespace printtest

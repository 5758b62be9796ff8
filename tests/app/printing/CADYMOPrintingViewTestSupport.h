#pragma once

#include "app/document/CADocument.h"
#include "kernel/printing/CACalibrationSettings.h"
#include "app/printing/CAPrintingView.h"

#include "kernel/address/FTAddressTypes.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CAImageEx.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/foundation/CAEnvironment.h"
#include "platform/PWPerson.h"
#include "platform/PWUserDefaults.h"
#include "platform/PWVCardReader.h"

#include <QColor>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

#include <cmath>
#include <memory>
#include <optional>
#include <vector>

namespace rolltest {

// What the shell does for documents at start-up, with no default sender.
inline void prepareProcess()
{
    CAEnvironment::setDefaultCountry(QStringLiteral("us"));
    CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });
    CADocument::setPreparedDocumentSource({});
    PWUserDefaults::standardUserDefaults().removeObject(CACalibrationSettings::kDefaultsKey);
}

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
    auto kernel = std::make_unique<CFTADocument>(geometry.type, CDDString(QStringLiteral("us")),
                                                 CDDString(QStringLiteral("us")));
    kernel->setDocumentSizeX(geometry.width);
    kernel->setDocumentSizeY(geometry.height);
    kernel->setPrintableSizeX(geometry.printableWidth);
    kernel->setPrintableSizeY(geometry.printableHeight);
    kernel->SetPageSize(CDDString(geometry.labelRoll ? QStringLiteral("Label Roll") : QStringLiteral("Letter")));
    kernel->SetDYMOOffsetX(geometry.offsetX);
    kernel->SetDYMOOffsetY(geometry.offsetY);
    if (geometry.counter)
        kernel->AddObject(new CFTCounterField(20.0, 20.0, nullptr), 0, false);
    return std::make_shared<CADocument>(std::move(kernel));
}

inline std::shared_ptr<PWPerson> person(const QString &first)
{
    const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Tester;" + first.toUtf8() + ";;;\r\nFN:" + first.toUtf8()
        + " Tester\r\nADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701;USA\r\nEND:VCARD\r\n";
    return PWVCardReader::personFromData(card);
}

// The colour the test renderer fills a design with: one per recipient first name, grey for none.
inline QColor colourForName(const QString &name)
{
    static const QMap<QString, QColor> colours { { QStringLiteral("Ann"), QColor(200, 0, 0) },
                                                 { QStringLiteral("Bob"), QColor(0, 160, 0) },
                                                 { QStringLiteral("Cid"), QColor(0, 0, 200) },
                                                 { QStringLiteral("Dee"), QColor(200, 200, 0) },
                                                 { QStringLiteral("Eve"), QColor(0, 200, 200) } };
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
        const QString name = recipient ? stringForPersonCategory(recipient.get(), adWork, tcFirstName, true) : QString();
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
    explicit PrintedPdf(const QString &path) : m_document(Poppler::Document::load(path)) {}
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

private:
    std::unique_ptr<Poppler::Page> page(int index) const { return m_document ? m_document->page(index) : nullptr; }
    std::unique_ptr<Poppler::Document> m_document;
};

// Prints the view into a PDF file in the folder; the error of the job goes to error.
inline QString printToPdf(CAPrintingView &view, const QTemporaryDir &folder, const QString &name, bool *ok,
                          QString *error = nullptr)
{
    const QString path = folder.filePath(name);
    QPdfWriter writer(path);
    writer.setResolution(288);
    *ok = view.printPages(writer, error);
    return path;
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

} // namespace rolltest

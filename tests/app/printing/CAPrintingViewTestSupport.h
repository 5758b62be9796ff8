#pragma once

#include "app/document/CADocument.h"
#include "app/printing/CAPrintingView.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/FTPersonFields.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CAImageEx.h"
#include "kernel/foundation/CAEnvironment.h"
#include "kernel/foundation/FTComponentFactory.h"
#include "platform/PWPerson.h"
#include "platform/PWUserDefaults.h"
#include "platform/PWVCardReader.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <memory>
#include <optional>
#include <vector>

namespace basetest {

inline void prepareProcess()
{
    CAEnvironment::setDefaultCountry(QStringLiteral("us"));
    PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
    defaults.setBool(QStringLiteral("FTConvertToUppercase"), false);
    for (const char *key : {"FTSuppressCountryField", "FTCommaDelimitedAddress", "FTAddressAutoResize"})
        defaults.setBool(QString::fromLatin1(key), false);
    CADocument::setDefaultSenderSource([] { return std::shared_ptr<PWPerson>(); });
    CADocument::setPreparedDocumentSource({});
}

// Address books that mark company cards keep the mark in "ABPersonFlags".
inline void registerCompanyFlag()
{
    if (!PWPerson::typeOfProperty(QStringLiteral("ABPersonFlags")))
        PWPerson::addPropertiesAndTypes({{QStringLiteral("ABPersonFlags"), PWPropertyType::String}});
}

// A person of the country ("USA", "Canada", ...); a company card when organisation is given.
inline std::shared_ptr<PWPerson> person(const QString &last, const QString &country,
                                        const QString &organisation = QString())
{
    QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + last.toUtf8() + ";Sam;;;\r\nFN:Sam " + last.toUtf8() + "\r\n";
    if (!organisation.isEmpty())
        card += "ORG:" + organisation.toUtf8() + ";\r\n";
    card += "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701;" + country.toUtf8() + "\r\nEND:VCARD\r\n";
    std::shared_ptr<PWPerson> result = PWVCardReader::personFromData(card);
    if (result && !organisation.isEmpty())
        result->setValueForProperty(QStringLiteral("ABPersonFlags"), PWPlist::fromString(QStringLiteral("1")));
    return result;
}

inline std::vector<std::shared_ptr<PWPerson>> persons(int count, const QString &country = QStringLiteral("Canada"))
{
    std::vector<std::shared_ptr<PWPerson>> list;
    for (int i = 0; i < count; ++i)
        list.push_back(person(QStringLiteral("Person%1").arg(i), country));
    return list;
}

inline std::unique_ptr<CFTAAddressPanel> panel(bool toFrom, double x, double y)
{
    const std::unique_ptr<CAddressFormat> format =
        CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
            QStringLiteral("Name+Company"), QStringLiteral("us"), false, CAddressFormatController::kBarcodeBelow);
    auto result = std::make_unique<CFTAAddressPanel>(toFrom, format.get(), nullptr, false);
    result->SetOrigin(x, y);
    return result;
}

// A 180 x 100 point label with a recipient panel and a sender panel, 12 and 8 points apart from
// its neighbours, sent from the United States.
inline std::shared_ptr<CADocument> labelDesign(double width = 180.0, double height = 100.0)
{
    auto kernel = std::make_unique<CFTADocument>(dtLabel, CDDString(QStringLiteral("us")), CDDString(QStringLiteral("us")));
    kernel->SetPredefinedLayout(false);
    kernel->setDocumentSizeX(width);
    kernel->setDocumentSizeY(height);
    kernel->SetHSpace(12.0);
    kernel->SetVSpace(8.0);
    kernel->AddObject(panel(true, 10.0, 40.0).release(), 0, false);
    kernel->AddObject(panel(false, 10.0, 5.0).release(), 0, false);
    auto document = std::make_shared<CADocument>(std::move(kernel));
    const std::shared_ptr<PWPerson> sender = person(QStringLiteral("Sender"), QStringLiteral("USA"));
    document->setCurrentPerson(sender.get(), false, true, true);
    const std::shared_ptr<PWPerson> recipient = person(QStringLiteral("Own"), QStringLiteral("USA"));
    document->setCurrentPerson(recipient.get(), true, true, true);
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

// A flat colour per person (white for none), so that a slot tells whose image it shows.
inline QColor colourOf(int personIndex)
{
    static const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::magenta, Qt::cyan, Qt::yellow, Qt::darkRed};
    return personIndex < 0 ? QColor(Qt::gray) : colours[personIndex % 7];
}

// The simplest page layout: items in the template's grid, 200 x 110 points apart, each drawn
// from its map entry. A slot without an image stays blank.
class GridView : public CAPrintingView
{
public:
    GridView(DocumentList designs, std::optional<PersonList> list, const CATemplateFormat &format, int copies,
             const CAPrintSettings &settings = CAPrintSettings())
        : CAPrintingView(std::move(designs), std::move(list), settings, true)
    {
        setLayout(format);
        setCardSize(QSizeF(180.0, 100.0));
        setCopiesValue(copies);
        setDocumentMap(getDocumentMap(documentList(), personList(), copies));
    }

    void drawPage(QPainter &painter, int page) override
    {
        const auto [first, count] = mapRangeForPage(page);
        const int columns = std::max(1, layout()->Columns());
        for (int slot = 0; slot < count; ++slot) {
            if (CAImageEx *image = imageForMapIndex(first + slot))
                image->drawInRect(painter, slotRect(slot, columns));
        }
    }

    static QRectF slotRect(int slot, int columns)
    {
        return QRectF(20.0 + (slot % columns) * 200.0, 20.0 + (slot / columns) * 110.0, 180.0, 100.0);
    }
};

// Renders every item as a flat bitmap in its person's colour and counts what it was asked for.
struct CountingRenderer
{
    struct Call
    {
        const CADocument *document;
        bool vector;
        bool withPrinting;
        double resolution;
        double bleed;
    };
    std::shared_ptr<std::vector<Call>> calls = std::make_shared<std::vector<Call>>();
    // Persons (by the colour their copy's recipient shows) for whom no image can be made.
    std::shared_ptr<QStringList> failFor = std::make_shared<QStringList>();

    CAPrintingView::ItemRenderer renderer() const
    {
        auto log = calls;
        auto failing = failFor;
        return [log, failing](CADocument &document, bool vector, bool withPrinting, double resolution,
                              double bleed) -> std::shared_ptr<CAImageEx> {
            log->push_back({&document, vector, withPrinting, resolution, bleed});
            const std::shared_ptr<PWPerson> recipient = document.currentPerson(true);
            const QString last =
                recipient ? recipient->valueForProperty(QStringLiteral("Last")).toString() : QString();
            if (failing->contains(last))
                return nullptr;
            const int index = last.startsWith(QLatin1String("Person")) ? last.mid(6).toInt() : -1;
            QImage image(18, 10, QImage::Format_RGB32);
            image.fill(colourOf(index));
            return std::shared_ptr<CAImageEx>(CAImageEx::initWithImage(image));
        };
    }
};

} // namespace basetest

// Makes the library of sample designs the assistant offers: for every size group the predefined
// paper templates reach, a few designs in two categories and a "Handling" category, each laid out
// for the group's first template and written through the kernel as an ordinary design file.
//
//   pw_make_sample_designs PICTURES_FOLDER TEMPLATES_FOLDER [PREVIEWS_FOLDER]
//
// TEMPLATES_FOLDER receives <size group>/<category>/<name>.pwdc; PREVIEWS_FOLDER, when given, a
// PNG of each design for a person to look over.

#include "SampleDesignRecipes.h"

#include "kernel/FTKernelStartup.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDColor.h"
#include "kernel/base/CDDString.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CATemplateFormat.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWFont.h"
#include "platform/PWImage.h"
#include "platform/PWUserDefaults.h"
#include "platform/PWVCardReader.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const char *const kRecipientCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Whitfield;Eleanor;;;\r\nFN:Eleanor Whitfield\r\n"
                                   "ORG:Harbour Lane Books;\r\n"
                                   "ADR;TYPE=WORK:;;48 Harbour Lane;Portland;ME;04101-3320;USA\r\nEND:VCARD\r\n";
const char *const kSenderCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Okafor;Daniel;;;\r\nFN:Daniel Okafor\r\n"
                                "ORG:Okafor Design Studio;\r\n"
                                "ADR;TYPE=WORK:;;210 Maple Street;Madison;WI;53703;USA\r\nEND:VCARD\r\n";

class Builder
{
public:
    Builder(const CATemplateFormat &format, const QString &picturesFolder)
        : m_picturesFolder(picturesFolder)
    {
        m_document = std::make_unique<CADocument>(std::make_unique<CFTADocument>(
            static_cast<documentType>(format.getDocumentType()), CDDString(QStringLiteral("us")),
            CDDString(QStringLiteral("us"))));
        CATemplateFormat layout = format;
        layout.setHasWindow(false);
        layout.setHorizontal(true);
        m_document->setLayoutArangeComponents(layout, false);
        m_document->setDefTextSize();
        m_view = std::make_unique<CFTAView>(m_document->ftDocumentController());
    }

    QSizeF size() const
    {
        const CFTADocument *design = m_document->ftDocument();
        return {design->getDocumentSizeX(0), design->getDocumentSizeY(0)};
    }

    void addPanel(bool toFrom, bool barcodeWanted, const QRectF &designed, textAlignment alignment)
    {
        // A print fits an address into its item less the gap to the next item (the printing
        // view's fit, from the item's corner): the block is laid out inside that area, so that
        // the design prints its own sample as designed.
        const CFTADocument *design = m_document->ftDocument();
        const double gap = std::max(0.0, std::min(design->GetHSpace(), design->GetVSpace()) / 2.0);
        const QRectF box = designed.intersected(QRectF(0.0, 0.0, size().width() - 2.0 * gap, size().height() - 2.0 * gap));
        // A barcode keeps its width however small the type: a block narrowed so goes without.
        const bool barcode = barcodeWanted && sampleBarcodeFits(box);
        const std::unique_ptr<CAddressFormat> format =
            CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
                CAEnvironment::defaultTemplate(), QStringLiteral("us"), barcode, CAddressFormatController::kBarcodeBelow);
        std::unique_ptr<CFTComponent> panel = m_view->CreateAddressPanel(toFrom, format.get());
        if (!panel)
            return;
        CFTComponent *placed = panel.get();
        placed->SetOrigin(box.x(), box.y());
        m_view->InsertComponent(panel.release(), false);
        const std::shared_ptr<PWPerson> person =
            PWVCardReader::personFromData(QByteArray(toFrom ? kRecipientCard : kSenderCard));
        m_document->setCurrentPerson(person.get(), toFrom, true, true);
        placed->SetAlignment(alignment);
        // Grow or shrink the lettering until the block fills its box without spilling over.
        auto *block = dynamic_cast<CFTAAddressPanel *>(placed);
        // The barcode is kept where its format draws it: below the address.
        if (block && barcode)
            block->SetBarcodeLocation(barcodeLocation(CAddressFormatController::kBarcodeBelow));
        for (int round = 0; round < 3 && block; ++round) {
            block->updateFormat();
            const double w = placed->GetSizeX();
            const double h = placed->GetSizeY();
            if (w <= 0.0 || h <= 0.0)
                break;
            const double factor = std::min(box.width() / w, box.height() / h);
            if (factor > 0.97 && factor < 1.05)
                break;
            placed->updateFontSizeWithKoeff(std::min(factor * 0.97, 1.6));
        }
        if (block)
            block->updateFormat();
        const double y = box.y() + std::max(0.0, (box.height() - placed->GetSizeY()) / 2.0);
        double x = box.x();
        if (alignment == taCenter)
            x = box.x() + std::max(0.0, (box.width() - placed->GetSizeX()) / 2.0);
        else if (alignment == taRight)
            x = box.right() - placed->GetSizeX();
        placed->updateCoordWithVector(x - placed->GetOriginX(), y - placed->GetOriginY());
    }

    void addText(const QString &text, const QRectF &box, double fontSize, const QColor &colour, bool bold,
                 textAlignment alignment)
    {
        auto component = std::make_unique<CFTAText>(box.x(), box.y(), box.width(), box.height(), nullptr);
        component->SetFont(PWFont(bold ? QStringLiteral("DejaVuSans-Bold") : QStringLiteral("DejaVuSans"), fontSize));
        component->GetText()->setString(text, nullptr);
        component->SetFont(PWFont(bold ? QStringLiteral("DejaVuSans-Bold") : QStringLiteral("DejaVuSans"), fontSize));
        const CDDColor color(float(colour.redF()), float(colour.greenF()), float(colour.blueF()), 1.0f);
        component->SetTextColor(&color);
        component->SetAlignment(alignment);
        m_view->InsertComponent(component.release(), false);
    }

    void addShape(compType type, const QRectF &box, const QColor &fill, const QColor &stroke, double lineWidth)
    {
        auto shape = std::make_unique<CFTBoxField>(box.x(), box.y(), box.width(), box.height(), nullptr);
        shape->setType(type);
        shape->SetFilled(fill.isValid());
        if (fill.isValid()) {
            const CDDColor color(float(fill.redF()), float(fill.greenF()), float(fill.blueF()), 1.0f);
            shape->SetFillColor(&color);
        }
        shape->SetStroked(stroke.isValid());
        if (stroke.isValid()) {
            const CDDColor color(float(stroke.redF()), float(stroke.greenF()), float(stroke.blueF()), 1.0f);
            shape->SetStrokeColor(&color);
            shape->SetLineWidth(lineWidth);
        }
        m_view->InsertComponent(shape.release(), false);
    }

    bool addPicture(const QString &name, const QRectF &box)
    {
        QSvgRenderer renderer(QDir(m_picturesFolder).filePath(name + QStringLiteral(".svg")));
        if (!renderer.isValid()) {
            std::fprintf(stderr, "pw_make_sample_designs: no picture %s\n", qPrintable(name));
            return false;
        }
        // Fitted into the box with its own proportions, at about 120 pixels per inch.
        QSizeF fitted = renderer.defaultSize();
        fitted.scale(box.size(), Qt::KeepAspectRatio);
        const QRectF frame(box.x() + (box.width() - fitted.width()) / 2.0,
                           box.y() + (box.height() - fitted.height()) / 2.0, fitted.width(), fitted.height());
        const QSize pixels((frame.size() * 120.0 / 72.0).toSize().expandedTo(QSize(8, 8)));
        QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        const CDDPicture picture(PWImage::fromQImage(image));
        std::unique_ptr<CFTComponent> component = CFTAView::CreatePicture(picture);
        if (!component)
            return false;
        component->SetOrigin(frame.x(), frame.y());
        component->SetSize(frame.width(), frame.height());
        m_view->InsertComponent(component.release(), false);
        return true;
    }

    bool write(const QString &path, QString *error) const { return m_document->writeToFile(path, error); }

    QImage preview() const { return m_document->imageForComponents(nullptr, 0.0, false, false, 144.0); }

private:
    QString m_picturesFolder;
    std::unique_ptr<CADocument> m_document;
    std::unique_ptr<CFTAView> m_view;
};

// Every size group the predefined templates reach, with the first template of each.
QMap<QString, CATemplateFormat> sizeGroups()
{
    QMap<QString, CATemplateFormat> groups;
    // Sheets first: a roll stands for its size group only where no sheet does.
    for (const bool rolls : {false, true}) {
        for (const int kind : {int(dtLabel), int(dtEnvelope), int(dtPostcard)}) {
            const CATemplateFormat::TemplateList *list = CATemplateFormat::predefLayouts(kind);
            if (!list)
                continue;
            for (const auto &format : *list) {
                if (!format || format->isLabelRoll() != rolls)
                    continue;
                const std::optional<QString> group = format->sizeGroup();
                if (group && !groups.contains(*group))
                    groups.insert(*group, *format);
            }
        }
    }
    return groups;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: pw_make_sample_designs PICTURES_FOLDER TEMPLATES_FOLDER [PREVIEWS_FOLDER]\n");
        return 2;
    }
    // The kernel's start-up writes settings: keep them away from the account that builds.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/cache")).toLocal8Bit());
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    startKernel();
    CAEnvironment::setDefaultCountry(QStringLiteral("us"));
    PWUserDefaults::standardUserDefaults().setBool(QStringLiteral("FTConvertToUppercase"), false);

    const QString pictures = QString::fromLocal8Bit(argv[1]);
    const QDir out(QString::fromLocal8Bit(argv[2]));
    const QString previews = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();

    int written = 0;
    const QMap<QString, CATemplateFormat> groups = sizeGroups();
    for (auto group = groups.cbegin(); group != groups.cend(); ++group) {
        for (const SampleDesignRecipe &recipe : sampleDesignRecipes(group.key())) {
            Builder builder(group.value(), pictures);
            composeSampleDesign(recipe, builder.size(), SampleDesignCanvas{
                [&](bool toFrom, bool barcode, const QRectF &box, int alignment) {
                    builder.addPanel(toFrom, barcode, box, static_cast<textAlignment>(alignment));
                },
                [&](const QString &text, const QRectF &box, double size, const QColor &colour, bool bold, int alignment) {
                    builder.addText(text, box, size, colour, bold, static_cast<textAlignment>(alignment));
                },
                [&](int type, const QRectF &box, const QColor &fill, const QColor &stroke, double width) {
                    builder.addShape(static_cast<compType>(type), box, fill, stroke, width);
                },
                [&](const QString &name, const QRectF &box) { builder.addPicture(name, box); },
            });
            const QString folder = group.key() + QLatin1Char('/') + recipe.category;
            if (!out.mkpath(folder)) {
                std::fprintf(stderr, "pw_make_sample_designs: cannot make %s\n", qPrintable(out.filePath(folder)));
                return 1;
            }
            const QString path = out.filePath(folder + QLatin1Char('/') + recipe.name + QStringLiteral(".pwdc"));
            QString error;
            if (!builder.write(path, &error)) {
                std::fprintf(stderr, "pw_make_sample_designs: %s: %s\n", qPrintable(path), qPrintable(error));
                return 1;
            }
            if (!previews.isEmpty()) {
                QDir().mkpath(previews);
                builder.preview().save(QDir(previews).filePath(group.key() + QLatin1Char('-') + recipe.category
                                                               + QLatin1Char('-') + recipe.name + QStringLiteral(".png")));
            }
            ++written;
        }
    }
    std::printf("pw_make_sample_designs: %d designs in %d size groups\n", written, int(groups.size()));
    return written > 0 ? 0 : 1;
}

#include "app/inspector/CADesignTextLists.h"

#include "app/inspector/CADesignLog.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/FTTextCategories.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/component/CFTComponent.h"
#include "platform/PWBundle.h"
#include "platform/PWPasteboardTypes.h"
#include "platform/PWPlist.h"

#include <QMimeData>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

CADesignTextLists::CADesignTextLists()
{
    fillArrays();
}

const std::vector<int> &CADesignTextLists::fieldRows()
{
    static const std::vector<int> rows = {
        128, -1, 19, 17, 18, 24, 108, 107, 109, -1, 4, 2, 20, -1, 5, 13, 14, 15, 16, 106, -1,
        11, 10, 7, 9, 8, 103, -1, 122, 125, 123, 124, 126, -1, 100, 102, 101, 127, -1,
        111, 110, 112, 114, 113, 115, 116, 117, 118, 119, 120, 121, -1,
        21, 22, 23, 27, 28, 29, 30, 31, 32, -1, 25, 26,
    };
    return rows;
}

void CADesignTextLists::fillArrays()
{
    const QByteArray bytes = PWBundle::mainBundle().resourceData(QStringLiteral("TemplateFormat"), QStringLiteral("xml"));
    const std::optional<PWPlist> templates = bytes.isEmpty() ? std::nullopt : PWPlist::parse(bytes);
    if (templates && templates->isArray()) {
        for (const PWPlist &entry : templates->toArray()) {
            if (!entry.isDictionary()) {
                m_templates.emplace_back(QString(), CADesignTextItem::Separator, static_cast<textCategory>(-1));
                continue;
            }
            const PWPlist name = entry.value(QStringLiteral("Name"));
            if (name.isString())
                m_templates.emplace_back(name.toString(), CADesignTextItem::Template, static_cast<textCategory>(-1));
        }
    }
    const PWPlist::Array &custom = CAddressFormatController::sharedAddressFormatController().customTemplates();
    if (!custom.isEmpty()) {
        m_templates.emplace_back(QString(), CADesignTextItem::Separator, static_cast<textCategory>(-1));
        for (qsizetype i = 0; i < custom.size(); ++i) {
            const QString name = custom.at(i).value(QStringLiteral("FormatName")).toString();
            m_templates.emplace_back(name, CADesignTextItem::CustomFormat, static_cast<textCategory>(-1),
                                     static_cast<int>(i));
        }
    }
    for (const int category : fieldRows()) {
        if (category < 0) {
            m_fields.emplace_back(QString(), CADesignTextItem::Separator, static_cast<textCategory>(-1));
            continue;
        }
        const auto tc = static_cast<textCategory>(category);
        m_fields.emplace_back(PWLocalizedString(FTTextCategories::displayNameForTextCategory(tc)),
                              CADesignTextItem::Field, tc);
    }
}

void CADesignTextLists::refreshArrays()
{
    m_templates.clear();
    m_fields.clear();
    fillArrays();
}

int CADesignTextLists::count(List list) const
{
    return static_cast<int>(list == Templates ? m_templates.size() : m_fields.size());
}

const CADesignTextItem *CADesignTextLists::itemAtRow(List list, int row) const
{
    const std::vector<CADesignTextItem> &items = list == Templates ? m_templates : m_fields;
    if (row < 0 || row >= static_cast<int>(items.size()))
        return nullptr;
    return &items[static_cast<std::size_t>(row)];
}

int CADesignTextLists::tcForRow(int row) const
{
    const CADesignTextItem *item = itemAtRow(Fields, row);
    return item ? item->tc() : -1;
}

std::unique_ptr<CFTComponent> CADesignTextLists::componentForRow(List list, int row) const
{
    const CADesignTextItem *item = itemAtRow(list, row);
    if (!item)
        return nullptr;
    return item->createComponentAsReceiver(!m_sender, m_templateSource ? m_templateSource() : nullptr);
}

std::unique_ptr<QMimeData> CADesignTextLists::mimeDataForRow(List list, int row) const
{
    std::unique_ptr<CFTComponent> component = componentForRow(list, row);
    return component ? mimeDataForComponent(component.get()) : nullptr;
}

std::unique_ptr<CFTComponent> CADesignTextLists::componentForText(const QString &text) const
{
    const CDDString label(PWLocalizedString(QStringLiteral("Simple Text")));
    auto made = std::make_unique<CFTAAddressText>(!m_sender, tcSimpleText, adWork, &label,
                                                  m_templateSource ? m_templateSource() : nullptr);
    made->SetString(CDDString(text));
    made->SetOrigin(0.0, 0.0);
    return made;
}

std::unique_ptr<QMimeData> CADesignTextLists::mimeDataForComponent(CFTComponent *component)
{
    if (!component)
        return nullptr;
    CDDArchive archive(true, ptInline);
    std::vector<CFTComponent *> one{component};
    CFTACoreDoc::SerializeComponents(archive, &one, true);
    const QByteArray xml = archive.Dettach().toXml();
    if (xml.isEmpty()) {
        qCWarning(lcDesign) << "invalid XML serialization";
        return nullptr;
    }
    auto data = std::make_unique<QMimeData>();
    data->setData(PWPasteboardTypes::mimeTypeOf(PWPasteboardTypes::kAddressDocument), xml);
    return data;
}

QImage CADesignTextLists::dragImageForRow(List list, int row, double scale) const
{
    std::unique_ptr<CFTComponent> component = componentForRow(list, row);
    if (!component)
        return {};
    const QImage rendering = dragComponentImage(component.get(), scale);
    if (rendering.isNull())
        return {};
    const int width = static_cast<int>(std::ceil(rendering.width()));
    const int height = static_cast<int>(std::ceil(rendering.height()));
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawImage(0, 0, rendering);
    const double radius = list == Templates ? 12.0 : 4.0;
    QPainterPath frame;
    frame.addRoundedRect(QRectF(0, 0, width, height), radius, radius);
    painter.fillPath(frame, QColor(0, 0, 0, 40));
    painter.setPen(QColor(0, 0, 0, 80));
    painter.drawPath(frame);
    return image;
}

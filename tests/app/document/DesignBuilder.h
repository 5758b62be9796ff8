#pragma once

#include "DocumentTestSupport.h"

#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/CFTABarcode.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/address/CFTFileField.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/drawing/CFTSeparator.h"
#include "platform/PWImage.h"
#include "kernel/text/CFTAText.h"
#include "kernel/text/CFTSmartField.h"

#include <QImage>

namespace doctest {

// A small two-colour bitmap, so that a picture has pixels to store.
inline std::shared_ptr<PWImage> smallImage()
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(1, 1, qRgb(200, 30, 30));
    return PWImage::fromQImage(image);
}

// A design holding one component of every kind a file keeps on its front side: a shape, a
// separator, a text, a smart field, a picture, a free address field, a free postal barcode, a
// counter, a file field, and a recipient and a sender panel.
inline void addEveryKindOfComponent(CFTADocument &document)
{
    document.AddObject(new CFTBoxField(10.0, 10.0, 50.0, 30.0, nullptr), 0, false);
    document.AddObject(new CFTSeparator(10.0, 50.0, 120.0, 2.0, nullptr), 0, false);
    auto *text = new CFTAText(70.0, 10.0, 90.0, 20.0, nullptr);
    text->GetText()->setString(QStringLiteral("Season's greetings"), nullptr);
    document.AddObject(text, 0, false);
    document.AddObject(new CFTSmartField(70.0, 40.0, nullptr, textCategory(131)), 0, false);
    auto *picture = new CFTPicture(CDDPicture(smallImage()));
    picture->SetOrigin(180.0, 10.0);
    picture->SetSize(40.0, 30.0);
    document.AddObject(picture, 0, false);
    auto *field = new CFTAAddressText(true, tcCity, adWork, nullptr, nullptr);
    field->SetOrigin(10.0, 100.0);
    document.AddObject(field, 0, false);
    auto *barcode = new CFTABarcode(120.0, 120.0);
    barcode->SetToFrom(true);
    document.AddObject(barcode, 0, false);
    document.AddObject(new CFTCounterField(10.0, 120.0, nullptr), 0, false);
    document.AddObject(new CFTFileField(60.0, 120.0, nullptr), 0, false);
    document.AddObject(makePanel(true, QStringLiteral("us"), true).release(), 0, false);
    std::unique_ptr<CFTAAddressPanel> sender = makePanel(false, QStringLiteral("us"), false);
    sender->SetOrigin(150.0, 60.0);
    document.AddObject(sender.release(), 0, false);
}

// The class IDs of the front side's components, in order.
inline std::vector<int> classIDs(const CFTADocument &document)
{
    std::vector<int> ids;
    for (const CFTComponent *component : document.GetComponents(0, false))
        ids.push_back(component->getClassID());
    return ids;
}

} // namespace doctest

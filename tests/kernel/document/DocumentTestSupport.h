#pragma once

// Helpers of the kernel document tests: a component that poses as any class and records what the
// document's walks ask of it, solid-colour pictures, and reading archives back.

#include "kernel/document/CFTADocument.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDString.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/base/FTGeometry.h"
#include "platform/PWImage.h"

#include <QColor>
#include <QImage>
#include <QStringList>
#include <QtGlobal>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace doctest {

// Poses as the class it is given on the side it is given, and notes the calls of the walks.
class WalkProbe : public CFTComponent
{
public:
    WalkProbe(int classID, bool toFrom, const CFTComponent *barcode = nullptr)
        : CFTComponent(10, 20, 30, 40), mClassID(classID), mToFrom(toFrom), mBarcode(barcode)
    {
    }
    classID getClassID() const override { return static_cast<classID>(mClassID); }
    bool GetToFrom() const override { return mToFrom; }
    void SetToFrom(bool toFrom) override { mToFrom = toFrom, calls << QStringLiteral("SetToFrom %1").arg(toFrom); }
    void SetAddressType(addressType type) override { calls << QStringLiteral("SetAddressType %1").arg(int(type)); }
    int setFormat(const CAddressFormat *format, int location) override
    {
        lastFormat = format;
        calls << QStringLiteral("setFormat %1").arg(location);
        return 1;
    }
    using CFTComponent::SetString;
    void SetString(bool toFrom, textCategory category, addressType type, const CDDString &text, textCategory link, bool flag) override
    {
        calls << QStringLiteral("SetString %1 %2 %3 %4 %5 %6")
                     .arg(toFrom)
                     .arg(int(category))
                     .arg(int(type))
                     .arg(text.getData())
                     .arg(int(link))
                     .arg(flag);
    }
    void updateCoordWithKoeff(double kx, double ky, double width, double height) override { factors = {kx, ky, width, height}; }
    bool updatePositionToFitSize(double width, double height, bool flag) override
    {
        calls << QStringLiteral("fit %1 %2 %3").arg(width).arg(height).arg(flag);
        return true;
    }
    const CFTComponent *GetObjectForTextCategory(textCategory category) const override { return category == tcBarcode ? mBarcode : nullptr; }
    CFTComponent *GetObjectForTextCategory(textCategory category) override
    {
        return category == tcBarcode ? const_cast<CFTComponent *>(mBarcode) : nullptr;
    }

    QStringList calls;
    const CAddressFormat *lastFormat = nullptr;
    // The factors and size of the last rescaling.
    std::optional<std::array<double, 4>> factors;

private:
    int mClassID;
    bool mToFrom;
    const CFTComponent *mBarcode;
};

inline std::shared_ptr<PWImage> solidImage(const QColor &color)
{
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(color);
    return PWImage::create(PWImageRep::fromBitmap(image, QSizeF(8, 8)));
}

// A card size (width, height) of the given size group, found by walking widths and aspects.
inline std::optional<std::pair<double, double>> cardOfSizeGroup(int group, documentType type = dtLabel)
{
    for (int aspect = 5; aspect <= 100; aspect += 5) {
        for (double width = 20.0; width < 2000.0; width += 1.0) {
            if (getSizeGroupType(float(width), float(width * aspect / 100.0), type) == group)
                return std::make_pair(width, width * aspect / 100.0);
        }
    }
    return std::nullopt;
}

inline PWPlist storedDocument(CFTADocument &document)
{
    CDDArchive archive(true);
    document.Serialize(archive);
    return archive.Dettach();
}

inline void loadDocument(CFTADocument &document, const PWPlist &dictionary)
{
    CDDArchive archive(false);
    archive.Attach(dictionary);
    document.Serialize(archive);
}

inline PWPlist str(const char *value)
{
    return PWPlist::fromString(QString::fromUtf8(value));
}

inline CDDString cs(const char *text)
{
    return CDDString(QString::fromLatin1(text));
}

// The dictionary with the entries set, or with the keys taken out.
inline PWPlist withEntries(const PWPlist &dictionary, const QList<PWPlist::Dictionary::Entry> &entries)
{
    PWPlist::Dictionary changed = dictionary.toDictionary();
    for (const auto &[key, value] : entries)
        changed.insert(key, value);
    return PWPlist(changed);
}

inline QList<int> classIDs(const std::vector<CFTComponent *> &list)
{
    QList<int> ids;
    for (const CFTComponent *component : list)
        ids.append(component->getClassID());
    return ids;
}

} // namespace doctest

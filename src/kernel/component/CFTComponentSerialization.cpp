// The keys every component saves, and the creation of a component from the class ID its
// archive names.

#include "kernel/component/CFTComponent.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/component/FTComponentFactory.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// No page holds a component that lies or reaches farther than this (about 35 m) from its
// card's corner; printing and export write numbers no reader could take beyond it.
constexpr double kMaxCoordinate = 100000.0;
// Pens, shadow offsets and blurs, and wrap insets longer than a card is wide draw nothing a
// page can show.
constexpr double kMaxLength = 40000.0;

QString rectText(double x, double y, double width, double height)
{
    return QStringLiteral("{{%1, %2}, {%3, %4}}").arg(x).arg(y).arg(width).arg(height);
}

// A length of the file within [-limit, limit] (or [0, limit] when it cannot be negative);
// farther ones are kept at the nearest end and named.
double lengthInRange(const CDDArchive &archive, const QString &key, double value, double limit, bool signedLength)
{
    const double lowest = signedLength ? -limit : 0.0;
    if (value >= lowest && value <= limit)
        return value;
    const double kept = std::clamp(value, lowest, limit);
    archive.noteOutOfRange(key, QString::number(value), QString::number(kept));
    return kept;
}

// Reads a length under key into target when the file holds one.
void readLength(const CDDArchive &archive, const QString &key, double &target, double limit, bool signedLength)
{
    double value = 0.0;
    if (archive.GetData(key, &value))
        target = lengthInRange(archive, key, value, limit, signedLength);
}

} // namespace

bool CFTComponent::Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *)
{
    if (archive.isStoring()) {
        archive.SetClassID(getClassID());
        archive.SetRectData(key_Bounds, mdOriginX, mdOriginY, mdSizeX, mdSizeY);
        archive.SetData(key_Angle, mdAngle);
        archive.SetData(key_Color, mColor);
        // The offset key is what marks a component as shadowed; there is no flag of its own.
        if (mbHasShadow) {
            archive.SetData(key_ShadowHorizontalOffset, mShadow.getShadowOffsetX());
            archive.SetData(key_ShadowVerticalOffset, mShadow.getShadowOffsetY());
            archive.SetData(key_ShadowBlurRadius, mShadow.getShadowBlurRadius());
            archive.SetData(key_ShadowColor, *mShadow.getShadowColor());
        }
        archive.SetData(key_Stroke, mbHasOutline);
        archive.SetData(key_OutlineColor, mOutlineColor);
        archive.SetData(key_PenWidth, mOutlinePen);
        archive.SetData(key_TextWrapping, int(mTextWrapType));
        archive.SetData(key_TextWrappingInset, mdInset);
        archive.SetData(key_ObjectRepresentation, int(_representation));
        return true;
    }

    mdSizeX = 0.0;
    mdSizeY = 0.0;
    if (archive.GetRectData(key_Bounds, &mdOriginX, &mdOriginY, &mdSizeX, &mdSizeY)) {
        const std::array<double *, 4> bounds = {&mdOriginX, &mdOriginY, &mdSizeX, &mdSizeY};
        if (std::any_of(bounds.begin(), bounds.end(), [](const double *v) { return std::fabs(*v) > kMaxCoordinate; })) {
            const QString stored = rectText(mdOriginX, mdOriginY, mdSizeX, mdSizeY);
            for (double *v : bounds)
                *v = std::clamp(*v, -kMaxCoordinate, kMaxCoordinate);
            archive.noteOutOfRange(key_Bounds, stored, rectText(mdOriginX, mdOriginY, mdSizeX, mdSizeY));
        }
    }
    mdAngle = 0.0;
    mTextWrapType = GetWrapType();
    archive.GetData(key_Angle, &mdAngle);
    int wrap = int(mTextWrapType);
    if (archive.GetData(key_TextWrapping, &wrap))
        mTextWrapType = textWrap(wrap);
    readLength(archive, key_TextWrappingInset, mdInset, kMaxLength, true);
    archive.GetData(key_Color, mColor);

    double offsetX = 0.0;
    mbHasShadow = archive.GetData(key_ShadowHorizontalOffset, &offsetX);
    if (mbHasShadow) {
        double offsetY = 0.0;
        double blur = 0.0;
        CDDColor color;
        offsetX = lengthInRange(archive, key_ShadowHorizontalOffset, offsetX, kMaxLength, true);
        readLength(archive, key_ShadowVerticalOffset, offsetY, kMaxLength, true);
        readLength(archive, key_ShadowBlurRadius, blur, kMaxLength, false);
        archive.GetData(key_ShadowColor, color);
        mShadow = CDDShadow(offsetX, offsetY, blur, &color);
    }

    archive.GetData(key_Stroke, &mbHasOutline);
    archive.GetData(key_OutlineColor, mOutlineColor);
    if (archive.GetData(key_PenWidth, mOutlinePen))
        mOutlinePen.SetWidth(lengthInRange(archive, key_PenWidth, mOutlinePen.GetWidth(), kMaxLength, false));
    int representation = int(_representation);
    if (archive.GetData(key_ObjectRepresentation, &representation))
        _representation = objectRepType(representation);

    mbIsLastPathValid = false;
    InvalidateShadow();
    return true;
}

std::unique_ptr<CFTComponent> CFTComponent::CreateFromArchive(const CDDArchive &archive,
                                                              std::vector<CFTComponent *> *subList,
                                                              CFTComponent *parent)
{
    if (archive.isStoring())
        return nullptr;
    // A missing or unknown class name leaves no ID to make anything of.
    int classID = -1;
    archive.GetClassID(&classID);
    std::unique_ptr<CFTComponent> component =
        FTComponentFactory::createComponent(classID, archive.getBundleVersion(), parent);
    if (component)
        component->Serialize(archive, subList);
    return component;
}

CFTComponent *CFTComponent::SerializeFromArchive(const CDDArchive &archive, std::vector<CFTComponent *> *list,
                                                 CFTComponent *parent)
{
    std::unique_ptr<CFTComponent> component = CreateFromArchive(archive, list, parent);
    if (!component)
        return nullptr;
    // Appended after its own loading, so that sub-components it added stand before it.
    CFTComponent *const made = component.release();
    if (list)
        list->push_back(made);
    return made;
}

#include "SampleDesignRecipes.h"

#include <QStringList>

#include <algorithm>

namespace {

// The kernel's component kinds and text alignments the recipes use.
constexpr int kRect = 1;
constexpr int kRoundedRect = 22;
constexpr int kLeft = 0;
constexpr int kCenter = 1;

const QColor kNavy(0x29, 0x3f, 0x5c);
const QColor kGreen(0x4f, 0x9a, 0x4a);
const QColor kRed(0xd2, 0x3b, 0x3b);
const QColor kGold(0xc8, 0x8a, 0x12);
const QColor kBlue(0x2f, 0x6f, 0xb3);
const QColor kInk(0x1f, 0x1f, 0x1f);

QList<SampleDesignRecipe> handling()
{
    return {
        {QStringLiteral("Handling"), QStringLiteral("Fragile"), SampleDesignRecipe::Handling, QStringLiteral("glass"),
         SampleDesignRecipe::Frame, kRed, QStringLiteral("FRAGILE")},
        {QStringLiteral("Handling"), QStringLiteral("Keep Dry"), SampleDesignRecipe::Handling,
         QStringLiteral("umbrella"), SampleDesignRecipe::Frame, kBlue, QStringLiteral("KEEP DRY")},
        {QStringLiteral("Handling"), QStringLiteral("This Side Up"), SampleDesignRecipe::Handling,
         QStringLiteral("arrows"), SampleDesignRecipe::Frame, kInk, QStringLiteral("THIS SIDE UP")},
    };
}

QList<SampleDesignRecipe> family(SampleDesignRecipe::Kind kind)
{
    const QString business = QStringLiteral("Business");
    const QString personal = QStringLiteral("Personal");
    using R = SampleDesignRecipe;
    switch (kind) {
    case R::ReturnAddress:
        return {{business, QStringLiteral("Classic"), kind, QString(), R::AccentBar, kNavy, QString()},
                {business, QStringLiteral("Skyline"), kind, QStringLiteral("city"), R::None, kNavy, QString()},
                {personal, QStringLiteral("Leaf"), kind, QStringLiteral("leaf"), R::None, kGreen, QString()},
                {personal, QStringLiteral("Heart"), kind, QStringLiteral("heart"), R::Frame, kRed, QString()}};
    case R::Mailing:
        return {{business, QStringLiteral("Classic"), kind, QString(), R::AccentBar, kNavy, QString()},
                {business, QStringLiteral("Framed"), kind, QString(), R::Frame, kNavy, QString()},
                {personal, QStringLiteral("Star"), kind, QStringLiteral("star"), R::None, kGold, QString()},
                {personal, QStringLiteral("Leaf"), kind, QStringLiteral("leaf"), R::Frame, kGreen, QString()}};
    case R::Shipping:
        return {{business, QStringLiteral("Ship To"), kind, QString(), R::Band, kNavy, QStringLiteral("SHIP TO")},
                {business, QStringLiteral("Skyline"), kind, QStringLiteral("city"), R::Band, kNavy,
                 QStringLiteral("DELIVER TO")},
                {personal, QStringLiteral("Parcel"), kind, QStringLiteral("parcel"), R::Band, kGold,
                 QStringLiteral("A PARCEL FOR")},
                {personal, QStringLiteral("Heart"), kind, QStringLiteral("heart"), R::Band, kRed,
                 QStringLiteral("WITH LOVE TO")}};
    case R::Envelope:
        return {{business, QStringLiteral("Classic"), kind, QString(), R::None, kNavy, QString()},
                {business, QStringLiteral("Letterhead"), kind, QStringLiteral("city"), R::AccentBar, kNavy,
                 QString()},
                {personal, QStringLiteral("Leaf"), kind, QStringLiteral("leaf"), R::None, kGreen, QString()},
                {personal, QStringLiteral("Heart"), kind, QStringLiteral("heart"), R::None, kRed, QString()}};
    case R::Postcard:
        return {{business, QStringLiteral("Skyline"), kind, QStringLiteral("city"), R::None, kNavy,
                 QStringLiteral("Thank you\nfor your order!")},
                {business, QStringLiteral("Reminder"), kind, QString(), R::AccentBar, kNavy,
                 QStringLiteral("Your next\nappointment\nis coming up.")},
                {personal, QStringLiteral("Landscape"), kind, QStringLiteral("landscape"), R::None, kGreen,
                 QStringLiteral("Greetings\nfrom the hills!")},
                {personal, QStringLiteral("Star"), kind, QStringLiteral("star"), R::None, kGold,
                 QStringLiteral("You're\na star!")}};
    case R::Handling:
        break;
    }
    return {};
}

// A font size at which the text's lines fit the box, in a bold face of ordinary width.
double fittingSize(const QString &text, const QRectF &box)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    qsizetype longest = 4;
    for (const QString &line : lines)
        longest = std::max(longest, line.size());
    const double byWidth = box.width() / (double(longest) * 1.05);
    const double byHeight = box.height() * 0.55 / double(lines.size());
    return std::clamp(std::min(byWidth, byHeight), 4.0, 72.0);
}

// Takes a square picture off the left of the box when the box is wide, else off its top;
// answers what is left for the address.
QRectF placePicture(const SampleDesignRecipe &recipe, QRectF box, double gap, double share,
                    const SampleDesignCanvas &canvas)
{
    if (recipe.picture.isEmpty() || box.height() < 30.0)
        return box;
    if (box.width() >= box.height() * 1.6) {
        const double side = std::min(box.height(), box.width() * share);
        canvas.picture(recipe.picture, QRectF(box.x(), box.y() + (box.height() - side) / 2.0, side, side));
        box.setLeft(box.left() + side + gap);
    } else {
        const double side = box.height() * share;
        canvas.picture(recipe.picture, QRectF(box.x() + (box.width() - side) / 2.0, box.y(), side, side));
        box.setTop(box.top() + side + gap);
    }
    return box;
}

} // namespace

bool sampleBarcodeFits(const QRectF &box)
{
    // A postal barcode needs about this many points; a narrower address block goes without one.
    constexpr double kBarcodeWidth = 180.0;
    return box.width() >= kBarcodeWidth;
}

QList<SampleDesignRecipe> sampleDesignRecipes(const QString &sizeGroup)
{
    SampleDesignRecipe::Kind kind;
    if (sizeGroup.startsWith(QLatin1String("Return")))
        kind = SampleDesignRecipe::ReturnAddress;
    else if (sizeGroup.startsWith(QLatin1String("Mailing")))
        kind = SampleDesignRecipe::Mailing;
    else if (sizeGroup.startsWith(QLatin1String("Shipping")))
        kind = SampleDesignRecipe::Shipping;
    else if (sizeGroup.startsWith(QLatin1String("Envelope")))
        kind = SampleDesignRecipe::Envelope;
    else if (sizeGroup.startsWith(QLatin1String("Postcard")))
        kind = SampleDesignRecipe::Postcard;
    else
        return {};
    return family(kind) + handling();
}

void composeSampleDesign(const SampleDesignRecipe &recipe, const QSizeF &page, const SampleDesignCanvas &canvas)
{
    const double w = page.width();
    const double h = page.height();
    const double margin = std::clamp(std::min(w, h) * 0.07, 3.0, 18.0);
    QRectF content(margin, margin, w - 2.0 * margin, h - 2.0 * margin);
    const QColor none;

    switch (recipe.decoration) {
    case SampleDesignRecipe::AccentBar: {
        const double bar = std::max(2.0, margin * 0.5);
        canvas.shape(kRect, QRectF(margin, margin, bar, content.height()), recipe.accent, none, 0.0);
        content.setLeft(content.left() + bar + margin * 0.6);
        break;
    }
    case SampleDesignRecipe::Frame:
        canvas.shape(kRoundedRect, QRectF(margin / 2.0, margin / 2.0, w - margin, h - margin), none, recipe.accent,
                     std::max(0.75, margin * 0.15));
        break;
    case SampleDesignRecipe::Band:
    case SampleDesignRecipe::None:
        break;
    }

    switch (recipe.kind) {
    case SampleDesignRecipe::ReturnAddress:
        content = placePicture(recipe, content, margin * 0.6, 0.3, canvas);
        canvas.panel(false, false, content, recipe.picture.isEmpty() || content.width() > content.height() ? kLeft : kCenter);
        break;
    case SampleDesignRecipe::Mailing:
        content = placePicture(recipe, content, margin * 0.6, 0.25, canvas);
        canvas.panel(true, sampleBarcodeFits(content), content, kLeft);
        break;
    case SampleDesignRecipe::Shipping: {
        // Sender across the top, a coloured band with the caption, the recipient below.
        QRectF sender(content.x(), content.y(), content.width(), content.height() * 0.28);
        sender = placePicture(recipe, sender, margin * 0.5, 0.25, canvas);
        canvas.panel(false, false, sender, kLeft);
        const QRectF band(0.0, content.y() + content.height() * 0.32, w, content.height() * 0.12);
        canvas.shape(kRect, band, recipe.accent, none, 0.0);
        const QRectF caption = band.adjusted(margin, 0.0, -margin, 0.0);
        canvas.text(recipe.caption, caption, fittingSize(recipe.caption, caption) * 0.8, Qt::white, true, kLeft);
        const QRectF recipient(content.x() + content.width() * 0.08, band.bottom() + margin * 0.6,
                               content.width() * 0.9, content.bottom() - band.bottom() - margin * 0.6);
        canvas.panel(true, sampleBarcodeFits(recipient), recipient, kLeft);
        break;
    }
    case SampleDesignRecipe::Envelope: {
        QRectF sender(content.x(), content.y(), content.width() * 0.42, content.height() * 0.3);
        sender = placePicture(recipe, sender, margin * 0.4, 0.3, canvas);
        canvas.panel(false, false, sender, kLeft);
        const QRectF recipient(w * 0.36, h * 0.45, w * 0.58, h * 0.42);
        canvas.panel(true, sampleBarcodeFits(recipient), recipient, kLeft);
        break;
    }
    case SampleDesignRecipe::Postcard: {
        // The message on the left, the address side on the right, a stamp box in the corner.
        const double middle = w / 2.0;
        canvas.shape(kRect, QRectF(middle - 0.5, content.y() + margin, 1.0, content.height() - 2.0 * margin),
                     QColor(0x99, 0x99, 0x99), none, 0.0);
        QRectF message(content.x(), content.y(), middle - content.x() - margin, content.height());
        if (!recipe.picture.isEmpty()) {
            const QRectF art(message.x(), message.y(), message.width(), message.height() * 0.6);
            canvas.picture(recipe.picture, art);
            message.setTop(art.bottom() + margin * 0.5);
        }
        canvas.text(recipe.caption, message, std::min(fittingSize(recipe.caption, message), 18.0), recipe.accent,
                    true, kLeft);
        const double stamp = std::min(content.width() * 0.12, content.height() * 0.22);
        canvas.shape(kRect, QRectF(content.right() - stamp * 0.8, content.y(), stamp * 0.8, stamp), none,
                     QColor(0x99, 0x99, 0x99), 0.75);
        const QRectF recipient(middle + margin * 0.5, h * 0.42, content.right() - middle - margin * 0.5, h * 0.45);
        canvas.panel(true, sampleBarcodeFits(recipient), recipient, kLeft);
        break;
    }
    case SampleDesignRecipe::Handling: {
        // A sign: the picture and its caption, large.
        const QRectF inner = content.adjusted(margin * 0.3, margin * 0.3, -margin * 0.3, -margin * 0.3);
        QRectF caption = inner;
        if (inner.width() >= inner.height() * 1.6) {
            const double side = std::min(inner.height(), inner.width() * 0.32);
            canvas.picture(recipe.picture, QRectF(inner.x(), inner.y() + (inner.height() - side) / 2.0, side, side));
            caption.setLeft(inner.left() + side + margin * 0.5);
            caption.setTop(inner.center().y() - inner.height() * 0.3);
            caption.setHeight(inner.height() * 0.6);
        } else {
            const double side = inner.height() * 0.6;
            canvas.picture(recipe.picture, QRectF(inner.center().x() - side / 2.0, inner.y(), side, side));
            caption.setTop(inner.y() + side + margin * 0.3);
        }
        canvas.text(recipe.caption, caption, fittingSize(recipe.caption, caption), recipe.accent, true, kCenter);
        break;
    }
    }
}

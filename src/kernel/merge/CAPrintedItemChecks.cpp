#include "kernel/merge/CAPrintedItemChecks.h"

#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWJobReport.h"
#include "platform/PWMultiValue.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QPainterPath>
#include <QTransform>

#include <cmath>
#include <optional>
#include <utility>

namespace CAPrintedItemChecks {

namespace {

// The rounding of single-precision measures of a text laid against the edge.
constexpr double kEdgeTolerance = 0.5;

// The item's area: its side's size, from the top-left corner.
QRectF itemArea(const CFTADocument &kernel)
{
    return QRectF(0.0, 0.0, kernel.getDocumentSizeX(0), kernel.getDocumentSizeY(0));
}

QRectF frameOf(const CFTComponent &component)
{
    return QRectF(component.GetOriginX(), component.GetOriginY(), component.GetSizeX(), component.GetSizeY());
}

// A rectangle on a component's item, turned as the component is drawn (about its frame's centre).
QRectF turnedAsDrawn(const CFTComponent &component, const QRectF &rect)
{
    const double angle = component.GetAngle();
    if (angle == 0.0 || !std::isfinite(angle))
        return rect;
    const QPointF centre = frameOf(component).center();
    QTransform turn;
    turn.translate(centre.x(), centre.y());
    turn.rotateRadians(angle);
    turn.translate(-centre.x(), -centre.y());
    return turn.mapRect(rect);
}

// Where the letters of a text stand on its item, turned as they are drawn: a frame wider than its
// item holds a word well inside it. Empty when nothing is drawn.
QRectF lettersOf(const CFTAText &text)
{
    const QRectF frame = frameOf(text);
    const QRectF letters = text.getDDText()->laidOutLetters(frame.width(), frame.height());
    return letters.isEmpty() ? QRectF() : turnedAsDrawn(text, letters.translated(frame.topLeft()));
}

// One line of a text, as a job's line quotes it.
QString quoted(const QString &text)
{
    QString line = text;
    line.removeIf([](QChar c) { return c.category() == QChar::Other_Control && !c.isSpace(); });
    line = line.simplified();
    constexpr int kQuoted = 40;
    return line.size() > kQuoted ? line.left(kQuoted) + QStringLiteral("...") : line;
}

void noteTexts(const CADocument &document, bool counters)
{
    const CFTADocument *kernel = document.ftDocument();
    if (!kernel || !PWJobReport::anyOpen())
        return;
    const QRectF area = itemArea(*kernel).adjusted(-kEdgeTolerance, -kEdgeTolerance, kEdgeTolerance, kEdgeTolerance);
    for (const bool back : {true, false}) {
        const std::vector<CFTComponent *> components = kernel->GetComponents(0, back);
        for (std::size_t index = 0; index < components.size(); ++index) {
            const CFTComponent *component = components[index];
            if (!component || component->getType() != ctText || component->IsHidden()
                || (component->getClassID() == ciCounter) != counters)
                continue;
            const auto *textComponent = static_cast<const CFTAText *>(component);
            const QString text = textComponent->GetString().getData();
            if (text.trimmed().isEmpty())
                continue;
            // The letters lie within their frame: a frame inside the item needs no lines measured,
            // which is every text of almost every item a job prints.
            if (area.contains(turnedAsDrawn(*component, frameOf(*component))))
                continue;
            const QRectF letters = lettersOf(*textComponent);
            if (letters.isEmpty() || area.contains(letters))
                continue;
            const QString person = personOf(document);
            // Each item of a job is a copy of the design: a text is known by its place in it. A
            // counter is one text whatever its number, named once with the first number past; any
            // other text once for what it says, however many persons print it.
            const QString place = QStringLiteral("%1 %2 %3,%4 ")
                                      .arg(back ? u'b' : u'f')
                                      .arg(index)
                                      .arg(component->GetOriginX())
                                      .arg(component->GetOriginY());
            const QString key = counters ? QStringLiteral("counter ") + place : place + text;
            PWJobReport::note(PWJobReport::Kind::TextPastEdge, key,
                              QStringLiteral("the %1 \"%2\"%3 runs past the edge of its %4")
                                  .arg(counters ? QStringLiteral("counter") : QStringLiteral("text"), quoted(text),
                                       person.isEmpty() ? QString() : QStringLiteral(" of %1").arg(person),
                                       itemWord(document)));
        }
    }
}

} // namespace

QString itemWord(const CADocument &document)
{
    return document.docType() == dtEnvelope  ? QStringLiteral("envelope")
           : document.docType() == dtPostcard ? QStringLiteral("card")
                                              : QStringLiteral("label");
}

QString millimetres(const QSizeF &points)
{
    return QStringLiteral("%1 x %2 mm")
        .arg(points.width() * 25.4 / 72.0, 0, 'f', 0)
        .arg(points.height() * 25.4 / 72.0, 0, 'f', 0);
}

QString personOf(const CADocument &document)
{
    const std::shared_ptr<PWPerson> person = document.currentPerson(true);
    if (!person)
        return QString();
    const auto value = [&person](const QString &property) {
        return quoted(person->valueForProperty(property).toString());
    };
    const QString name = (value(kPWFirstNameProperty) + u' ' + value(kPWLastNameProperty)).simplified();
    if (!name.isEmpty())
        return name;
    if (const QString company = value(kPWOrganizationProperty); !company.isEmpty())
        return company;
    // A person without a name is named by what the contacts file gives of them.
    for (const auto &[property, what] : {std::pair{kPWEmailProperty, "the person with the e-mail address %1"},
                                         std::pair{kPWPhoneProperty, "the person with the phone number %1"}}) {
        const std::optional<PWMultiValue> values = person->multiValueForProperty(property);
        for (qsizetype i = 0; values && i < values->count(); ++i)
            if (const QString shown = quoted(values->valueAtIndex(i).toString()); !shown.isEmpty())
                return QString::fromLatin1(what).arg(shown);
    }
    for (const QString &property : {kPWNicknameProperty, kPWJobTitleProperty, kPWNoteProperty})
        if (const QString shown = value(property); !shown.isEmpty())
            return QStringLiteral("the person \"%1\"").arg(shown);
    return QStringLiteral("a person without a name");
}

void notePastEdges(const CADocument &document)
{
    CFTADocument *kernel = document.ftDocument();
    if (!kernel || !PWJobReport::anyOpen())
        return;
    const QRectF area = itemArea(*kernel);
    for (const bool back : {true, false})
        for (CFTComponent *component : kernel->GetComponents(0, back)) {
            if (!component || component->getClassID() != ciAddressPanel || component->IsHidden())
                continue;
            auto *panel = static_cast<CFTAAddressPanel *>(component);
            // A fitted one was measured before its fit, when its copy was made (an envelope's).
            if (panel->isFitted())
                panel->notePastOutputAgain();
            else
                panel->notePastOutput(area.width(), area.height(), itemWord(document),
                                      CFTAAddressPanel::Measured::AsPrinted);
        }
    noteTexts(document, false);
    noteTexts(document, true);
    noteCutByWindow(document);
}

void noteCutByWindow(const CADocument &document)
{
    CFTADocument *kernel = document.ftDocument();
    if (!kernel || !kernel->HasWindow() || !PWJobReport::anyOpen())
        return;
    const std::optional<QPainterPath> window = document.windowPath();
    if (!window || window->isEmpty())
        return;
    const QString person = personOf(document);
    for (const bool back : {true, false}) {
        const std::vector<CFTComponent *> components = kernel->GetComponents(0, back);
        for (std::size_t index = 0; index < components.size(); ++index) {
            const CFTComponent *component = components[index];
            if (!component || component->IsHidden())
                continue;
            // What the item draws: an address its laid-out rows, a text its letters, anything
            // else its frame.
            QRectF drawn;
            QString what;
            QString key = QStringLiteral("%1 %2 ").arg(back ? u'b' : u'f').arg(index);
            if (component->getClassID() == ciAddressPanel) {
                const auto *panel = static_cast<const CFTAAddressPanel *>(component);
                if (panel->isEmpty())
                    continue;
                drawn = panel->laidOutBox();
                what = !panel->GetToFrom()      ? QStringLiteral("the return address")
                       : person.isEmpty()        ? QStringLiteral("the address")
                                                 : QStringLiteral("the address of %1").arg(person);
                key += what;
                // Each person's envelope is an item of its own, whether or not names tell them
                // apart: the copy's person is made anew for every person it prints.
                if (const std::shared_ptr<PWPerson> recipient = document.currentPerson(true); recipient && panel->GetToFrom())
                    key += u' ' + recipient->uniqueId();
            } else if (component->getType() == ctText) {
                const auto *text = static_cast<const CFTAText *>(component);
                const QString shown = text->GetString().getData();
                if (shown.trimmed().isEmpty())
                    continue;
                drawn = lettersOf(*text);
                what = QStringLiteral("the text \"%1\"").arg(quoted(shown));
                key += shown;
            } else {
                drawn = turnedAsDrawn(*component, frameOf(*component));
                what = QStringLiteral("an item at %1, %2 mm")
                           .arg(component->GetOriginX() * 25.4 / 72.0, 0, 'f', 0)
                           .arg(component->GetOriginY() * 25.4 / 72.0, 0, 'f', 0);
            }
            if (drawn.isEmpty() || !window->intersects(drawn))
                continue;
            PWJobReport::note(PWJobReport::Kind::CutByWindow, key,
                              QStringLiteral("the window of the %1 cuts away %2 %3: nothing prints over the window")
                                  .arg(itemWord(document),
                                       window->contains(drawn) ? QStringLiteral("all of") : QStringLiteral("part of"),
                                       what));
        }
    }
}

void noteWithoutRecipient(const CADocument &design, qsizetype persons)
{
    const CFTADocument *kernel = design.ftDocument();
    if (!kernel || persons < 1 || !PWJobReport::anyOpen())
        return;
    bool recipient = false;
    kernel->forEachComponent([&recipient](const CFTComponent *component) {
        if (recipient || !component || !component->GetToFrom())
            return;
        const textCategory category = component->GetTextCategory();
        recipient = component->getClassID() == ciAddressPanel
                    || (category != tcNone && category != tcUnused && category != tcCustom && category != tcActivity
                        && category != tcCounter && category != tcFileData);
    });
    if (recipient)
        return;
    PWJobReport::note(PWJobReport::Kind::NoRecipient, QStringLiteral("recipient"),
                      QStringLiteral("the design has no recipient's address: %1 printed nowhere, and each %2 "
                                     "shows only what the design itself shows")
                          .arg(persons == 1 ? QStringLiteral("the job's person is")
                                            : QStringLiteral("the job's %1 persons are").arg(persons),
                               itemWord(design)));
}

} // namespace CAPrintedItemChecks

#include "kernel/merge/CAPrintedItemChecks.h"

#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWJobReport.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QTransform>

#include <cmath>

namespace CAPrintedItemChecks {

namespace {

// The rounding of single-precision measures of a text laid against the edge.
constexpr double kEdgeTolerance = 0.5;

// The item's area: its side's size, from the top-left corner.
QRectF itemArea(const CFTADocument &kernel)
{
    return QRectF(0.0, 0.0, kernel.getDocumentSizeX(0), kernel.getDocumentSizeY(0));
}

// Where a component stands on its item, turned as it is drawn.
QRectF frameOf(const CFTComponent &component)
{
    QRectF frame(component.GetOriginX(), component.GetOriginY(), component.GetSizeX(), component.GetSizeY());
    if (const double angle = component.GetAngle(); angle != 0.0 && std::isfinite(angle)) {
        QTransform turn;
        turn.translate(frame.center().x(), frame.center().y());
        turn.rotateRadians(angle);
        turn.translate(-frame.center().x(), -frame.center().y());
        frame = turn.mapRect(frame);
    }
    return frame;
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
    const QString person = personOf(document);
    for (const bool back : {true, false}) {
        for (const CFTComponent *component : kernel->GetComponents(0, back)) {
            if (!component || component->getType() != ctText || component->IsHidden()
                || (component->getClassID() == ciCounter) != counters)
                continue;
            const QString text = static_cast<const CFTAText *>(component)->GetString().getData();
            if (text.trimmed().isEmpty() || area.contains(frameOf(*component)))
                continue;
            // A counter is one text whatever its number: named once, with the first number past.
            const QString key = counters ? QStringLiteral("counter %1").arg(quintptr(component)) : person + u'\x1f' + text;
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

QString personOf(const CADocument &document)
{
    const std::shared_ptr<PWPerson> person = document.currentPerson(true);
    if (!person)
        return QString();
    const auto value = [&person](const QString &property) {
        return quoted(person->valueForProperty(property).toString());
    };
    const QString name = (value(kPWFirstNameProperty) + u' ' + value(kPWLastNameProperty)).simplified();
    return !name.isEmpty() ? name : value(kPWOrganizationProperty);
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
                panel->notePastOutput(area.width(), area.height(), itemWord(document));
        }
    noteTexts(document, false);
    noteTexts(document, true);
}

} // namespace CAPrintedItemChecks

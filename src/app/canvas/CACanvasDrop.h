#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <Qt>

#include <memory>
#include <optional>

class CACanvasCards;
class CADocView;
class CFTComponent;
class PWPerson;
class QMimeData;

// What a drop onto the canvas does, apart from the events that carry it: design objects, pictures,
// texts, a contact, a colour onto the object under it, files and URLs. Points are design points.
class CACanvasDrop
{
public:
    explicit CACanvasDrop(CADocView &canvas);

    // What the canvas offers for data over the point: a copy, a link (a colour over an object:
    // the colour goes to it) or nothing.
    Qt::DropAction dragOperation(const QMimeData &data, const QPointF &point) const;
    // Carries out the drop at point; start is where a drag out of a canvas began, when the data
    // says. Answers whether the design changed. The whole drop is one undo step. Contact cards
    // that did not become the person (the others of several, those refused) are told in a line.
    bool drop(const QMimeData &data, const QPointF &point, const std::optional<QPointF> &start);

    // Where a drag out of a canvas began, as the data carries it (window units); nothing when
    // either coordinate is missing or no number.
    static std::optional<QPointF> dragStart(const QMimeData &data);
    // Where the drag's picture hung from the pointer (screen pixels, as the picture is shown);
    // nothing when the data does not say or says no finite frame of sensible size.
    static std::optional<QRectF> dragImageFrame(const QMimeData &data);
    // A vCard file by its extension, whatever its case.
    static bool isVCardFile(const QString &path);
    // Makes the person the current one of the active side, giving a design without an address
    // a recipient panel first, and counts it used among the cards; false for no person.
    bool changePerson(const std::shared_ptr<PWPerson> &person, CACanvasCards &cards) const;
    // Tells the user in one line what became of the cards, when any was not used.
    void tell(const CACanvasCards &cards) const;
    // URLs that name no local file at all (pictures on the network): refused.
    static bool namesOnlyRemoteFiles(const QMimeData &data);

private:
    bool dropInOneStep(const QMimeData &data, const QPointF &point, const std::optional<QPointF> &start,
                       CACanvasCards &cards);
    bool dropColor(const QMimeData &data, const QPointF &point);
    CFTComponent *objectAt(const QPointF &point) const;

    CADocView &m_canvas;
};

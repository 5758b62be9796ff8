#pragma once

#include <QImage>
#include <QObject>
#include <QRectF>
#include <QString>

#include <memory>

class CCSearchField;
class QAction;
class QMenu;
class QPainter;

// The look and the state of the search field: the capsule bar drawn from named pictures, the
// progress that sweeps over it, the placeholder, the stop button's pressed look and the mode menu
// ("Collection" or "Internet", or none at all in simple mode).
class CCSearchFieldCell : public QObject
{
    Q_OBJECT

public:
    enum class Mode { Collection, Internet };

    static constexpr double kBarHeight = 21.0;
    static constexpr double kEndWidth = 24.0;
    static constexpr double kMiddleSourceWidth = 32.0;
    // A press beyond W - kStopButtonWidth is on the stop button.
    static constexpr double kStopButtonWidth = 18.0;

    explicit CCSearchFieldCell(CCSearchField *textField);
    ~CCSearchFieldCell() override;

    CCSearchField *parentTextField() const { return m_parentTextField; }

    double maxValue() const { return m_maxValue; }
    void setMaxValue(double value) { m_maxValue = value; }
    double minValue() const { return m_minValue; }
    void setMinValue(double value) { m_minValue = value; }
    double doubleValue() const { return m_value; }
    void setDoubleValue(double value) { m_value = value; }
    // A running search shows the stop button.
    bool isSearching() const { return m_value > 0; }

    QString emptyString() const { return m_emptyString; }
    void setEmptyString(const QString &placeholder) { m_emptyString = placeholder; }
    bool drawsFocusRing() const { return m_drawsFocusRing; }
    void setDrawsFocusRing(bool draws) { m_drawsFocusRing = draws; }
    bool clearButtonPressed() const { return m_clearButtonPressed; }
    void setClearButtonPressed(bool pressed) { m_clearButtonPressed = pressed; }
    bool drawProgress() const { return m_drawProgress; }
    void setDrawProgress(bool draws) { m_drawProgress = draws; }
    uint length() const { return m_length; }
    void setLength(uint length) { m_length = length; }

    QMenu *menu() const { return m_menu.get(); }
    Mode mode() const { return m_mode; }
    // Puts the cell in collection or internet mode by the menu item chosen: the placeholder takes
    // the item's title and the item alone is checked.
    void switchToCollection(QAction *item);
    void switchToInternet(QAction *item);
    // The item of the menu titled title, or null.
    QAction *menuItemWithTitle(const QString &title) const;
    void setSimpleMode();
    bool hasSimpleMode() const { return m_simpleMode; }

    // Where the text goes in a frame: right of the left end, short of the right end (and of the
    // stop button while a search runs).
    QRectF textRectForFrame(const QRectF &frame) const;

    // The pieces of the progress fill over a bar W wide (empty rectangles for pieces not drawn):
    // each piece is drawn from the left of its picture, clipped, not scaled, except the middle.
    struct ProgressPieces
    {
        QRectF left;
        QRectF middle;
        QRectF right;
    };
    ProgressPieces progressPieces(double width) const;

    // Focus ring (when editing and drawsFocusRing), bar, stop button and progress into a bar
    // width points wide. The text and the placeholder are the field's to draw.
    void drawInterior(QPainter &painter, double width, bool editing) const;

    // The picture of the given name, from the application's images.
    static QImage barImage(const QString &name);
    // The name of the left end's picture.
    QString leftImageName() const { return m_leftImageName; }
    // The names of the right end's pictures, white and coloured, for the present state.
    QString rightImageName(bool coloured) const;

private:
    void switchTo(QAction *item, Mode mode);

    CCSearchField *m_parentTextField;
    std::unique_ptr<QMenu> m_menu;
    QString m_leftImageName = QStringLiteral("search_white_left");
    QString m_emptyString;
    double m_maxValue = 100.0;
    double m_minValue = 0.0;
    double m_value = 0.0;
    uint m_length = 0;
    Mode m_mode = Mode::Collection;
    bool m_drawsFocusRing = true;
    bool m_clearButtonPressed = false;
    bool m_drawProgress = true;
    bool m_simpleMode = false;
};

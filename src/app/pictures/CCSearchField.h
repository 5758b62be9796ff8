#pragma once

#include <QColor>
#include <QLineEdit>
#include <QPointer>

#include <memory>
#include <optional>

class CCSearchFieldCell;

// A one-line search field drawn as a capsule: the mode menu under its left end, a stop button at
// its right end while a search runs, a progress fill sweeping over the bar and a grey
// placeholder. Return sends searchText() in collection (and simple) mode and searchInternet() in
// internet mode; in simple mode every change of the text sends searchText() as well. Releasing
// the stop button while a search runs ends it and sends stopRequested().
class CCSearchField : public QLineEdit
{
    Q_OBJECT

public:
    // At or below this width the field no longer follows its container.
    static constexpr int kMinimumFollowWidth = 45;

    explicit CCSearchField(QWidget *parent = nullptr);
    ~CCSearchField() override;

    CCSearchFieldCell *searchCell() const { return m_searchCell.get(); }

    bool drawsFocusRing() const;
    void setDrawsFocusRing(bool draws);
    double maxValue() const;
    void setMaxValue(double value);
    double minValue() const;
    void setMinValue(double value);
    // Above 0 while a search runs: the stop button shows and clicks in the text do not edit.
    // Like the other setters it does not redraw; the caller does.
    double doubleValue() const;
    void setDoubleValue(double value);
    QString emptyString() const;
    void setEmptyString(const QString &placeholder);

    // Pops the mode menu up under the field's left end (an empty menu in simple mode).
    void popupSearchMenu();
    bool clearButtonPressed() const { return m_clearButtonPressed; }

    // The container changed width by delta: the field follows while its wanted width stays
    // above kMinimumFollowWidth and keeps its last size otherwise.
    void superviewWidthChanged(int delta);
    // Follows the width changes of the parent widget from the present width on. A field that
    // the parent's layout places is sized by that layout: its wanted width is the width the
    // layout gives it, whenever that is.
    void followSuperview();
    int wantedWidth() const { return m_width; }

    // The cell's placeholder, margins or look changed.
    void cellChanged();

    QSize sizeHint() const override;
    // Whether the grey placeholder is drawn over an empty field: not while it is being edited.
    bool showsPlaceholder() const;

Q_SIGNALS:
    void searchText(CCSearchField *sender);
    void searchInternet(CCSearchField *sender);
    void stopRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    bool onStopButton(double x) const;
    bool placedByLayout() const;
    void textDidChange(const QString &text);
    void sendAction();
    void updateMargins();
    void showPlaceholder(bool shown);

    std::unique_ptr<CCSearchFieldCell> m_searchCell;
    bool m_clearButtonPressed = false;
    int m_width = 0;
    QPointer<QWidget> m_watchedParent;
    std::optional<QColor> m_placeholderColour;
};

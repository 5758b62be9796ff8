#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// Keeps the windows that wait for an answer where the user can answer them (CAWaitingWindows
// decides): above every window that comes up after them, and holding the keyboard when the user
// clicks a window they hold or a floating panel; and keeps the floating panels above the document
// windows, their title bars in reach, and the settings window above the panels. The panels and
// the settings window belong to the document window in front for the window manager
// (PWWindowOwner), which then keeps them above it itself. Watches every window of the application.
class CAWaitingWindowKeeper : public QObject
{
    Q_OBJECT
public:
    explicit CAWaitingWindowKeeper(QObject *parent = nullptr);
    ~CAWaitingWindowKeeper() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void raiseAbove(QWidget *front);
    // The panels and settings windows (or the one shown) made to belong to the front document.
    void ownFloating(QWidget *only = nullptr);
    // The document window the user worked in last: the panels act on it.
    QPointer<QWidget> m_frontDocument;
};

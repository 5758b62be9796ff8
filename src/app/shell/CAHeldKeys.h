#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class QEvent;
class QWidget;

// Keys typed into a window while what they act on is not there yet (a list still being filled),
// held and handed on in order once it is, so that a key pressed early acts on the filled list
// as if pressed after. Deferred actions (a button clicked meanwhile) take their turn among the
// keys. Main thread.
class CAHeldKeys : public QObject
{
    Q_OBJECT
public:
    explicit CAHeldKeys(QObject *parent = nullptr);
    ~CAHeldKeys() override;

    // Holds the key presses and releases meant for widgets of window from now on: all of them,
    // or, given heldFor, those sent to one of those widgets (or inside one) and Return and
    // Enter, which press the window's default button. Keys to a popup open over the window (a
    // combo box's list, a menu) are its own and never held.
    void hold(QWidget *window, const QList<QWidget *> &heldFor = {});
    bool isHolding() const { return m_holding; }
    // Runs action at the release, after what was held before it; at once when not holding.
    void defer(std::function<void()> action);
    // Ends the hold: each key goes, in order, to the window's focus widget of that moment
    // (the window itself without one), each action is run.
    void release();
    // Ends the hold and forgets what it held.
    void drop();
    int heldCount() const { return int(m_held.size()); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Held
    {
        std::unique_ptr<QEvent> key;
        std::function<void()> action;
    };
    void stopFiltering();
    bool isHeldFor(const QWidget *receiver, const QEvent *key) const;

    QPointer<QWidget> m_window;
    QList<QPointer<QWidget>> m_heldFor;
    bool m_holding = false;
    bool m_filtering = false;
    std::vector<Held> m_held;
};

#pragma once

#include <QString>

#include <functional>

class QWidget;

// The reading or writing of a large design file, run on a worker thread while the window's thread
// waits in an event loop: the windows repaint, and a progress window, shown at once and modal to
// the application (no window takes an edit meanwhile), tells how many components are done. Its
// Cancel asks the work to stop at its next component; the work is always waited for, so nothing of
// it outlives the call.
class CAFileWork
{
public:
    // A design file of this many bytes or more is read this way.
    static constexpr qint64 kLongReadBytes = 256 * 1024;
    // A design of this many components or more (on all its sides, panels counted once) is written
    // this way.
    static constexpr qsizetype kLongWriteComponents = 1000;

    enum class Outcome { Done, Stopped };

    // Runs work on a worker thread under a progress window over window (the application when
    // null) that says label, until it ends. Stopped when the user cancelled and the work gave up;
    // Done when it ran to its end (whatever it answered). An exception other than the stop that
    // the work throws is thrown again here.
    static Outcome run(QWidget *window, const QString &label, const std::function<void()> &work);
};

#pragma once

#include <QString>

#include <functional>

class QWidget;

// Long work on a design file while the windows go on, under a progress window modal to the
// application (no window takes an edit meanwhile) that says how many components are done and
// whose Cancel asks the work to stop at its next component. The work is always waited for, so
// nothing of it outlives the call.
//
// Reading and writing run on the one file thread the application keeps for them: text laid out
// there holds that thread's fonts, which must outlive it. The objects a design made there move to
// the window's thread when the work ends, as if it had been read there. Drawing (an export) runs on the
// window's thread, serving the windows' events between components, so that no text is laid out
// with another thread's fonts.
class CAFileWork
{
public:
    // A design file of this many bytes or more is read this way.
    static constexpr qint64 kLongReadBytes = 256 * 1024;
    // A design of this many components or more (on all its sides, panels counted once) is written
    // and exported this way.
    static constexpr qsizetype kLongWriteComponents = 1000;

    enum class Outcome { Done, Stopped, Failed };
    enum class Where { FileThread, WindowThread };
    // Whether window draws nothing while the work runs: work that reads the design it shows.
    enum class Window { Drawn, Frozen };

    // When a stop the user asked is heard: at the work's next step, or as long as the progress
    // window is up (work that leaves nothing behind, such as a check whose answer is thrown
    // away, however late the user asked).
    enum class Stop { AtNextStep, UntilClosed };

    // Runs work under a progress window over window (the application when null) that says label,
    // until it ends. Work on the window's thread begins only once the progress window has drawn
    // itself. Stopped when the user cancelled and the work gave up; Failed, with the reason in
    // failure, when the work threw anything but the stop (out of memory, say): nothing it made is
    // to be kept; Done when it ran to its end (whatever it answered).
    static Outcome run(QWidget *window, const QString &label, Where where, Window drawing,
                       const std::function<void()> &work, QString *failure = nullptr,
                       Stop stop = Stop::AtNextStep);
};

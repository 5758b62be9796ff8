#pragma once

#include <QList>

class QWidget;

// What stands above what while a window waits for an answer: a sheet or a box that holds other
// windows (modal), or a box the user still has to read and close (a message box that lets work
// go on). Windows that come up later go below the waiting ones; a click on a window the waiting
// one holds, or on a floating panel that acts for it, gives the waiting one the keyboard back.
// Pure decisions over the windows' own flags and parents; the keeper carries them out.
class CAWaitingWindows
{
public:
    // A shown window that waits for an answer.
    static bool isWaiting(const QWidget *window);
    // A floating panel: a tool window, or one marked as a panel (markAsPanel), that acts on the
    // document in front.
    static bool isPanel(const QWidget *window);
    static void markAsPanel(QWidget *window);
    // A window the user opened over the panels (the preferences, the custom address formats, the
    // postal guidelines): neither a document nor a panel, it stays above the panels while it is up.
    static bool staysAbovePanels(const QWidget *window);
    static void markAsAbovePanels(QWidget *window);
    // Whether window belongs to waiting (stands above it as one of its own, a box it opened).
    static bool isOwnedBy(const QWidget *window, const QWidget *waiting);
    // Whether the modal window waiting keeps window from answering: every other window for an
    // application-modal one, the window it is on (and that window's own parents) for a sheet.
    static bool holds(const QWidget *waiting, const QWidget *window);

    // A document window: a plain window that neither waits nor floats.
    static bool isDocument(const QWidget *window);
    // The windows to bring up again, in this order, after front came up or to the front: none
    // when front waits itself or belongs to a waiting window. Above a document window the
    // visible panels float, and above a document or a panel the settings windows; above
    // everything the waiting windows stand, the boxes first, the modal windows after them, the
    // one that answers first last.
    static QList<QWidget *> toRaiseAbove(const QWidget *front, const QList<QWidget *> &topLevels,
                                         QWidget *activeModal);
    // The window that takes the keyboard when the user brings activated to the front: the modal
    // window activeModal when it holds activated, or when activated is a panel and activeModal
    // holds the document the panels act for (frontDocument, none known counting as held);
    // nothing otherwise.
    static QWidget *toActivateInstead(const QWidget *activated, QWidget *activeModal, const QWidget *frontDocument);
};

#pragma once

#include "platform/PWDescriptor.h"

#include <QString>

#include <functional>

// The designs the application ships for its assistant, and their first copy into the user's
// content library. A first copy is made into a staging folder beside the target and renamed into
// place with a mark inside: "complete", or the list of what could not be copied, which a later
// start copies then, never writing over a file the folder holds. A folder with entries and no
// mark (seeded by an earlier version, or the user's own) is complete as it is. One start at a
// time seeds a folder (a lock file beside it, kept fresh while copying); a lock whose holder
// cannot be shown alive (gone, stopped, empty, written on another host) ages out.
class CASampleDesignLibrary
{
public:
    // How long a lock that was not kept fresh holds other starts back.
    static constexpr int kLockAgeMs = 30000;

    // The shipped content library: below the installed data folder, else the build tree's;
    // empty when neither holds templates.
    static QString shippedLibraryPath();
    // The shipped templates of the localization folder (for example "en.lproj"), falling back
    // to English; empty when there are none.
    static QString shippedTemplatesPath(const QString &library, const QString &localization);
    // Copies the shipped templates to target when target holds no entries, or what a former copy
    // owes. False, with a reason naming what was not copied and why, when some copy was due and
    // failed; true when done or not needed.
    static bool installIfMissing(const QString &shippedTemplates, const QString &target, QString *error = nullptr);
    // The same for the running application: shipped library to CAEnvironment::templatePath().
    static bool installForUser(QString *error = nullptr);
    // The shipped clip-art collection (pictures, thumbnails, category and keyword indexes) to
    // the "ClipArt" folder of the user's content library, when that folder holds nothing.
    static bool installClipArtIfMissing(const QString &library, const QString &targetLibrary, QString *error = nullptr);
    static bool installClipArtForUser(QString *error = nullptr);
    // The shipped basic shapes to the "BasicShapes" folder of targetLibrary, when that folder
    // holds nothing.
    static bool installBasicShapesIfMissing(const QString &library, const QString &targetLibrary,
                                            QString *error = nullptr);
    // The shipped postage-art folder; empty when the shipped library has none.
    static QString shippedPostArtPath(const QString &library);
    // The shipped masks (pictures and thumbnails) to the "Masks" folder of the user's content
    // library, when that folder holds nothing.
    static bool installMasksIfMissing(const QString &library, const QString &targetLibrary, QString *error = nullptr);
    static bool installMasksForUser(QString *error = nullptr);
    // At every start, a batch job's too: the shipped library is where the environment reads
    // the postage art and what the user's content library lacks.
    static void useShippedContent();
    // At start: the clip art, basic shapes and masks seeded into the user's content library,
    // the postage art found where it was shipped. False when some copy failed (it is logged).
    static bool installContentForUser();
    // The same and the sample designs, on a thread of its own, so that a first start shows its
    // window without waiting for the copies. A reader on another thread that asks the
    // environment for a content path meanwhile waits until they are in place; the main thread
    // never does, and hears CAContentLibraryGate::kSeededNotification when they are. The paths
    // are taken at the call; a call while a seeding runs does nothing.
    static void installAllForUserInBackground();
    // Ends the background copies before the program does, with no wait for another start's lock:
    // called as the application quits, and by a start that leaves without running it.
    static void finishBeforeQuit();
    // Waits for the background copies, when there are any, unless called on their thread.
    static void waitForContent();
    // Whether background copies run now.
    static bool isSeeding();

    // Called on the copying thread before each file is copied, with its target.
    using CopyHook = std::function<void(const QString &target)>;
    static void setCopyHook(CopyHook hook);
    // The call that writes the copied bytes, ::write unless set (null puts it back).
    using WriteCall = PWDescriptor::WriteCall;
    static void setWriteCall(WriteCall call);

private:
    // The shipped library's folder to the same folder of targetLibrary, when that holds nothing.
    static bool installFolderIfMissing(const QString &folder, const QString &library, const QString &targetLibrary,
                                       QString *error, int *copied = nullptr);
    static bool seed(const QString &shipped, const QString &target, QString *error, int *copied);
};

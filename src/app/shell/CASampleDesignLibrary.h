#pragma once

#include <QString>

// The designs the application ships for its assistant, and their first copy into the user's
// content library. The copy is made into a staging folder beside the target and renamed into
// place only when complete, marked so inside, so a failed copy never looks like a library.
// One start at a time seeds a folder (a lock file beside it); a folder left with entries but
// without the mark is completed by the next start, never writing over a file it holds.
class CASampleDesignLibrary
{
public:
    // The shipped content library: below the installed data folder, else the build tree's;
    // empty when neither holds templates.
    static QString shippedLibraryPath();
    // The shipped templates of the localization folder (for example "en.lproj"), falling back
    // to English; empty when there are none.
    static QString shippedTemplatesPath(const QString &library, const QString &localization);
    // Copies the shipped templates to target when target holds no entries, or the files it lacks
    // when it was never completed. False, with a reason, when a copy was due and failed; true
    // when done or not needed.
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
    // At start: the clip art, basic shapes and masks seeded into the user's content library,
    // the postage art found where it was shipped. False when some copy failed (it is logged).
    static bool installContentForUser();
    // The same and the sample designs, on a thread of its own, so that a first start shows its
    // window without waiting for the copies; whoever asks the environment for a content path
    // meanwhile waits until they are in place. The paths are taken at the call.
    static void installAllForUserInBackground();
    // Waits for the background copies, when there are any.
    static void waitForContent();

private:
    // The shipped library's folder to the same folder of targetLibrary, when that holds nothing.
    static bool installFolderIfMissing(const QString &folder, const QString &library, const QString &targetLibrary,
                                       QString *error);
};

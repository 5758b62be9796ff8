#pragma once

#include "app/pictures/CCPictCatalog.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What the folder picture panes show, as plain functions: which files count as pictures, the
// picture entries of a folder at any depth, and the postage-art categories with the entry the
// category popup opens on. Listing walks the file system only; no picture is read.
namespace CCPictFolderListing {

// More than this many entries below one folder are not walked, and more than this many pictures
// are not listed: a pane pointed at a whole disk still answers, with what it listed first.
inline constexpr int kMaxVisitedEntries = 200000;
inline constexpr int kMaxPictures = 20000;

struct Listing
{
    QList<CCPictCatalog::Entry> entries;
    // Files left out because they are no pictures (with the filter on).
    int leftOut = 0;
    // Sub-folders that could not be opened.
    int unreadableFolders = 0;
    // The walk stopped at one of the limits above.
    bool truncated = false;
};

// Extensions (lower case, no dot) of the files a picture pane takes: "eps", "ps", "hpi", "pdf"
// and every format Qt's image readers know.
const QStringList &acceptedExtensions();
// Whether a file's extension, in any letter case, is one of acceptedExtensions().
bool isAcceptedPictureFile(const QString &path);

// Every file below folder at any depth, in the order the file system lists them, as entries
// {name: namePrefix + its path relative to folder, hint: its file name without extension}. With
// filterPictures only accepted picture files are taken; without, every file is (and every
// sub-folder, which the catalogue shows as a cell without a picture). Symbolic links to folders
// are not followed, so a link loop ends.
Listing listFolder(const QString &folder, bool filterPictures, const QString &namePrefix = QString());

// The postage-art categories: the folders at the top level of folder, in the order the file
// system lists them; none when the folder is missing.
QStringList postArtCategories(const QString &folder);
// The popup titles: "-" then the categories.
QStringList postArtPopupTitles(const QStringList &categories);
// The entry the popup opens on: the stored index when there is one (beyond the last entry: the
// last), else the entry titled "Mailing Labels", else entry 1. Nothing for a popup of "-" alone.
std::optional<int> initialPostArtEntry(const QStringList &popupTitles, std::optional<qint64> stored);

} // namespace CCPictFolderListing

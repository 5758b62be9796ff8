#pragma once

// Pictures in the document archive. They live with the picture value in the drawing layer, so the
// archive itself knows nothing of pictures.
class CDDArchive;
class CDDPicture;
class QString;

// Pictures: by name (content-library pictures while "FTSaveAsTemplate" is on, and a missing
// picture by the name it was read by), as the keyed archive of the image (PDF and EPS kept as
// they are, bitmaps as TIFF, black-and-white one-bit bitmaps as CCITT Group 3 TIFF), or as a
// package entry. Storing may change the picture's data reference; it answers false for a picture
// without an image or missing name.
bool archiveSetPicture(const CDDArchive &archive, const QString &key, CDDPicture &picture);
// A stored image, or a stored name found among the registered images and in the content
// folders, the user's and then the installed library's (never outside them); false, with the
// picture unchanged, when nothing is found. A picture without an image then keeps the name as
// its missing name (stored again by the next save, drawn as a placeholder), and the reading
// notes it as a part kept as it was. A stored value that does not read (a damaged image archive,
// a value of another kind) is kept the same way, as the file has it, and drawn as a placeholder.
bool archiveGetPicture(const CDDArchive &archive, const QString &key, CDDPicture &picture);

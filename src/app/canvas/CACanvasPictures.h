#pragma once

#include "kernel/base/FTComponentTypes.h"

#include <QString>

#include <memory>

class CADocView;
class PWImage;

// The picture commands of the canvas: a picture of the browsers or of a file replaces the
// selected pictures (or comes in at the middle of the page), the background's placing, and the
// tiling of the selected pictures. Each is one undo step.
namespace CACanvasPictures {

// A placing control's tag to the placing: 0 stretched (3), 1 the other fit (2), any other tiled.
placingMode convertTagToMode(int tag);

// The picture a browser cell stands for: the cell's own image for full-size and network names,
// else the library's full-size picture of the name, else the image registered under it. Null
// for a cell without a name.
std::shared_ptr<PWImage> imageForBrowserCell(const QString &name, const std::shared_ptr<PWImage> &cellImage);
// The picture of a photo library entry (its file): the image registered under "PREFIX_FILE" and
// the path, else the file read and registered under that name. Null for a file that is no picture.
std::shared_ptr<PWImage> imageForPhotoFile(const QString &path);
// Whether the name is of a picture found on the network (its pane stays in view).
bool isInternetImage(const QString &name);

// A picture chosen in a browser: the canvas first says whether it came from the internet
// (internetPictureChanged, as for every picture that comes in), then every selected object that takes a picture gets the image
// ("CHANGE_IMAGE", named whenever something was selected); when none did, the image goes in at
// the middle of the page ("INSERT_OBJECT"). Answers whether anything changed.
bool replaceImage(CADocView &canvas, std::shared_ptr<PWImage> image);
// A picture file chosen in the open panel; a file that is no picture is refused with a log line.
bool replaceImageFromFile(CADocView &canvas, const QString &path);

// The background of the image with the placing of the tag; the canvas then edits the background.
void changeBackground(CADocView &canvas, std::shared_ptr<PWImage> image, int placingTag);
// A picture file chosen as the background, through changeBackground: the placing of the
// background it replaces stays, a first one covers the page. A file that is no picture is
// refused with a log line and changes nothing. Answers whether the background changed.
bool insertBackgroundFromFile(CADocView &canvas, const QString &path);
// The tag of the placing control that stands for the placing (the inverse of convertTagToMode).
int convertModeToTag(placingMode mode);
// The placing of the background ("CHANGE_IMAGEPLACING"); nothing without a background.
void setBackPlacing(CADocView &canvas, int tag);
// Tiles every selected object, or untiles them all when the first is tiled ("SET_TILE").
void tileImage(CADocView &canvas);

} // namespace CACanvasPictures

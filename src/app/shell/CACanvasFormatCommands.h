#pragma once

#include <QString>

#include <functional>

class CADocumentController;
class QWidget;

// Gives every document window the canvas's tool, text, font, colour, picture and barcode
// commands: the four tools, the postal guidelines and the facing identification mark, text
// alignment, Bigger and Smaller through the font manager, tiling, Replace Picture…, the
// background's placing, the separate postal barcode and its location. The font manager's
// changes and the colour panel's colours go to the canvas of the window the user works in.
void installCanvasFormatCommands(CADocumentController &controller);

// The file Replace Picture… uses; an empty answer cancels. By default an open panel.
void setReplaceImageChooser(std::function<QString(QWidget *parent)> chooser);

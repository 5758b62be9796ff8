#pragma once

#include <QString>

#include <functional>

class QWidget;

// The About panel, the font panel and the help window, each made, shown at its default size and
// handed to shoot with a file-name stem ("about", "fonts", "help"), then closed again. The
// screenshots program passes a function that grabs the window into a picture.
void showShellPanelsForScreenshots(const std::function<void(const QString &name, QWidget *window)> &shoot);

#include "app/shell/CAMainWindow.h"

CAMainWindow::CAMainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Parcelwick"));
    resize(800, 600);
}

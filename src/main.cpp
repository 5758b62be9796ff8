#include "shell/CAMainWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Parcelwick"));
    QApplication::setOrganizationName(QStringLiteral("Parcelwick"));

    CAMainWindow window;
    window.show();
    return QApplication::exec();
}

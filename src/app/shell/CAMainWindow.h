#pragma once

#include <QMainWindow>

// The application's first window; the document windows replace it once the shell exists.
class CAMainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit CAMainWindow(QWidget *parent = nullptr);
};

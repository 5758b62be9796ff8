#pragma once

#include <QDialog>

#include <memory>

class QLineEdit;
class QPushButton;

namespace Ui {
class searchInternetPanel;
}

// The modal panel that asks for the text of an internet picture search. Search ends it with 1,
// Cancel, Escape and the close box with 0.
class CSearchInternetPanelController : public QDialog
{
    Q_OBJECT

public:
    explicit CSearchInternetPanelController(QWidget *parent = nullptr);
    ~CSearchInternetPanelController() override;

    // Runs the panel modally for the whole application, centred, and answers the code that
    // ended it. The window is not used for placement.
    int showDialog(QWidget *window);
    QString searchString() const;
    // How the panel ended: 1 search, 0 cancelled (and while it has not ended).
    int modalResult() const { return result(); }

    QLineEdit *searchField() const;
    QPushButton *searchButton() const;
    QPushButton *cancelButton() const;

public Q_SLOTS:
    void search();
    void cancel();

private:
    std::unique_ptr<Ui::searchInternetPanel> m_ui;
};

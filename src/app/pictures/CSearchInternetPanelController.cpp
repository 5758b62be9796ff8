#include "app/pictures/CSearchInternetPanelController.h"

#include "app/document/CAWindowPlacement.h"
#include "platform/PWBundle.h"


#include <ui_searchInternetPanel.h>

CSearchInternetPanelController::CSearchInternetPanelController(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::searchInternetPanel>())
{
    m_ui->setupUi(this);
    setWindowTitle(PWLocalizedString(windowTitle()));
    m_ui->promptLabel->setText(PWLocalizedString(m_ui->promptLabel->text()));
    m_ui->searchButton->setText(PWLocalizedString(m_ui->searchButton->text()));
    m_ui->cancelButton->setText(PWLocalizedString(m_ui->cancelButton->text()));
    connect(m_ui->searchButton, &QPushButton::clicked, this, &CSearchInternetPanelController::search);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CSearchInternetPanelController::cancel);
}

CSearchInternetPanelController::~CSearchInternetPanelController() = default;

int CSearchInternetPanelController::showDialog(QWidget *)
{
    setWindowModality(Qt::ApplicationModal);
    adjustSize();
    CAWindowPlacement::placeCentred(this);
    m_ui->_searchField->setFocus();
    // Escape and the close box reject the dialog as Cancel does.
    return exec() == QDialog::Accepted ? 1 : 0;
}

QString CSearchInternetPanelController::searchString() const
{
    return m_ui->_searchField->text();
}

QLineEdit *CSearchInternetPanelController::searchField() const
{
    return m_ui->_searchField;
}

QPushButton *CSearchInternetPanelController::searchButton() const
{
    return m_ui->searchButton;
}

QPushButton *CSearchInternetPanelController::cancelButton() const
{
    return m_ui->cancelButton;
}

void CSearchInternetPanelController::search()
{
    accept();
}

void CSearchInternetPanelController::cancel()
{
    reject();
}

#include "app/contacts/CAServiceDialogController.h"

#include "app/document/CAWindowPlacement.h"
#include <ui_ServiceImport.h>

#include "platform/PWPerson.h"

#include <QPointer>

CAServiceDialogController::CAServiceDialogController(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::ServiceImport>())
{
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("serviceImportSheet"));
    const std::pair<const QString &, QLineEdit *> fields[] = {
        {kPersonPrefixKey, m_ui->_prefixEditField},         {kPersonFirstNameKey, m_ui->_firstNameEditField},
        {kPersonLastNameKey, m_ui->_lastNameEditField},     {kPersonSuffixKey, m_ui->_suffixEditField},
        {kPersonCompanyKey, m_ui->_companyEditField},       {kPersonDepartmentKey, m_ui->_departmentEditField},
        {kPersonStreetKey, m_ui->_streetAddrEditField},     {kPersonCityKey, m_ui->_cityEditField},
        {kPersonStateKey, m_ui->_stateEditField},           {kPersonZipKey, m_ui->_zipEditField},
        {kPersonCountryKey, m_ui->_countryEditField},
    };
    for (const auto &[key, edit] : fields) {
        m_fields.insert(key, edit);
        connect(edit, &QLineEdit::textChanged, this, [this, key = key](const QString &text) { m_form.setValue(key, text); });
    }
    m_ui->okButton->setProperty("tag", kConfirmTag);
    m_ui->cancelButton->setProperty("tag", 0);
    connect(m_ui->okButton, &QPushButton::clicked, this, [this] { closeWithTag(kConfirmTag); });
    connect(m_ui->cancelButton, &QPushButton::clicked, this, [this] { closeWithTag(0); });
}

CAServiceDialogController::~CAServiceDialogController() = default;

void CAServiceDialogController::initFormWithDictionary(const CAPersonDictionary &dictionary)
{
    m_form.initFormWithDictionary(dictionary);
    for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it)
        it.value()->setText(m_form.value(it.key()));
}

void CAServiceDialogController::closeWithTag(int tag)
{
    done(tag);
}

std::shared_ptr<PWPerson> CAServiceDialogController::openDialog(const CAPersonDictionary &dictionary, QWidget *window)
{
    // The sheet belongs to the window it is shown on; a window closed while it runs takes the
    // sheet with it, and nothing is confirmed.
    QPointer<CAServiceDialogController> sheet = new CAServiceDialogController(window);
    sheet->setAttribute(Qt::WA_DeleteOnClose, false);
    // While it waits for the answer nothing else starts an edit: the address and print-list
    // windows and the other documents wait with it.
    sheet->setWindowModality(Qt::ApplicationModal);
    sheet->initFormWithDictionary(dictionary);
    CAWindowPlacement::placeCentred(sheet, window);
    const int code = sheet->exec();
    if (!sheet)
        return nullptr;
    std::shared_ptr<PWPerson> person = code == kConfirmTag ? sheet->initDictionarWithForm() : nullptr;
    delete sheet.data();
    return person;
}

// The print sheet's texts on the persons it prints: the Job box, the notes under the page, and the
// question before a job that would print empty items for persons of a list that did not read.
#include "app/printsheet/CAPrintViewController.h"

#include "app/contacts/CAPersonListDictionary.h"
#include "app/printsheet/CAJobReportMessages.h"
#include "app/printsheet/CAPrintJobTexts.h"
#include "app/printsheet/CAPrintPreview.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWBundle.h"
#include "platform/PWPerson.h"
#include "platform/PWPersonProperties.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>

using namespace Qt::StringLiterals;

namespace {

template <typename T> T *sheetControl(QWidget *sheet, const char *name)
{
    return sheet->findChild<T *>(QLatin1String(name));
}

} // namespace

void CAPrintViewController::showJobTexts()
{
    if (QLabel *layoutText = sheetControl<QLabel>(this, "_layoutText")) {
        const CFTADocument *design = m_document->ftDocument();
        const CATemplateFormat layout = design ? CATemplateFormat::initFromDocument(*design) : CATemplateFormat();
        layoutText->setText(CAPrintJobTexts::layoutDescription(layout.Manufacturer(), layout.ID()));
    }
    // The persons printed: a print list's, or the design's own list; else its own address.
    const bool useList = m_persons.persons && !m_persons.persons->empty();
    const int people = useList ? int(m_persons.persons->size()) : 1;
    if (QLabel *peopleText = sheetControl<QLabel>(this, "_peopleCountText"))
        peopleText->setText(QStringLiteral("%1 %2").arg(people).arg(PWLocalizedString(people == 1 ? u"person"_s : u"people"_s)));
    showItemCount();
    if (auto *table = sheetControl<QTableWidget>(this, "_personListTableView")) {
        const CAPrintingView::PersonList none;
        const CAPrintingView::PersonList &persons = useList ? *m_persons.persons : none;
        table->clear();
        table->setColumnCount(2);
        table->setHorizontalHeaderLabels({PWLocalizedString(u"Name"_s), PWLocalizedString(u"Company"_s)});
        table->setRowCount(int(persons.size()));
        for (int row = 0; row < int(persons.size()); ++row) {
            const PWPerson *person = persons[std::size_t(row)].get();
            const QString name = person ? QStringList{person->valueForProperty(kPWFirstNameProperty).toString(),
                                                      person->valueForProperty(kPWLastNameProperty).toString()}
                                              .join(u' ').trimmed()
                                        : QString();
            table->setItem(row, 0, new QTableWidgetItem(name));
            table->setItem(row, 1, new QTableWidgetItem(person ? person->valueForProperty(kPWOrganizationProperty).toString() : QString()));
        }
        // The table is the list's: it takes part only while the persons come from a list.
        table->setEnabled(useList);
    }
    showNotes();
}

void CAPrintViewController::showItemCount()
{
    if (QLabel *cardsText = sheetControl<QLabel>(this, "_cardsPerPageText"))
        cardsText->setText(CAPrintJobTexts::itemCount(m_document->docType(), m_document->printSettings().copies));
}

QString CAPrintViewController::unreadPersonsNote() const
{
    if (!m_persons.fromPrintList || !printsPersons())
        return QString();
    return CAPersonListDictionary::unreadInPrintList(*m_persons.persons, m_persons.listName);
}

void CAPrintViewController::showNotes()
{
    QStringList notes;
    if (const QString unread = unreadPersonsNote(); !unread.isEmpty())
        notes.append(PWLocalizedString(u"%1: their items would print empty. Edit List shows them."_s).arg(unread));
    if (const QString fit = CAJobReportMessages::fitNote(_imageView->tooLong()); !fit.isEmpty())
        notes.append(fit);
    _fitNote->setText(notes.join(u'\n'));
    _fitNote->setVisible(!notes.isEmpty());
}

void CAPrintViewController::whenPersonsConfirmed(const std::function<void()> &go)
{
    const QString unread = unreadPersonsNote();
    if (unread.isEmpty()) {
        go();
        return;
    }
    // As a batch job refuses such a list, the sheet prints it only when the user says so.
    auto *box = new QMessageBox(QMessageBox::Warning, u"Parcelwick"_s,
                                PWLocalizedString(u"Some persons of the print list could not be read."_s),
                                QMessageBox::Cancel, this);
    box->setObjectName(u"_unreadPersons"_s);
    box->setInformativeText(PWLocalizedString(u"%1. Their items would print empty."_s).arg(unread));
    QPushButton *anyway = box->addButton(PWLocalizedString(u"Print Anyway"_s), QMessageBox::AcceptRole);
    anyway->setObjectName(u"_printAnyway"_s);
    box->setDefaultButton(QMessageBox::Cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    connect(box, &QMessageBox::buttonClicked, this, [anyway, go](QAbstractButton *clicked) {
        if (clicked == anyway)
            go();
    });
    box->open();
}

#pragma once

#include "app/contacts/CAContactImportHooks.h"
#include "app/contacts/CADelimitedText.h"
#include "app/contacts/CAPersonListDictionary.h"

#include <QByteArray>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class PWPerson;
class QWidget;

// The second stage of text import: records of a delimited text to persons, placing each field by
// the key its column has in the registry. A pilcrow (U+00B6) in a field, the way contact lists
// write a line break inside a value, becomes a line feed. Addresses come home, work, other; the
// phones and e-mails in the order of their columns.
struct CAImportProgress;

class CATextFileImport
{
public:
    // Hears of each record (its index from 0, and the records there are) and answers true to stop.
    using RecordReport = std::function<bool(quint32 index, quint32 count)>;

    // The persons of the bytes, one per record; through the text import dialog when the options
    // ask for it and a dialog is there (hooks). Nothing when the user cancelled the dialog or the
    // report asked to stop; an empty list when there are no records, when the bytes are no text,
    // or when no column holds a person field. Records with nothing in the columns read are left
    // out: none of these makes a blank person. Why nothing or less could be read goes into problems.
    // The bytes and the records are let go of while the persons are made: pass the bytes on
    // (std::move) when nothing else needs them, so that they are not held to the end.
    // A column of country codes fills an address's missing country with the country's name;
    // values that are no country's two-letter code are named in notes (else in problems) and
    // not used.
    static std::optional<CAPersonList> peopleFromData(QByteArray bytes, const CATextImportOptions &options,
                                                      QWidget *window, QStringList *problems = nullptr,
                                                      const CAContactImportHooks &hooks = CAContactImportHooks::shared(),
                                                      const RecordReport &report = RecordReport(),
                                                      QStringList *notes = nullptr);
    // Rows another program exported (a workbook, a database) as the user sees them in the import
    // dialog, with the import's progress; each problem is named by the file it came from. The
    // bytes are let go of as peopleFromData() does.
    static std::optional<CAPersonList> peopleFromExport(QByteArray bytes, const CATextImportOptions &options,
                                                        const QString &fileName, QWidget *window,
                                                        QStringList &problems, const CAContactImportHooks &hooks,
                                                        CAImportProgress *progress);
    // The persons of text already read (and confirmed); nothing when the report asked to stop.
    static std::optional<CAPersonList> peopleFromText(const CADelimitedText &text, const RecordReport &report);
    static CAPersonList peopleFromText(const CADelimitedText &text);
    // One record to a new person.
    static std::shared_ptr<PWPerson> parsePerson(const QStringList &fields, const CADelimitedText::Registry &registry);
};

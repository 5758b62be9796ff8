#pragma once

#include "app/contacts/CADelimitedText.h"

#include <QDialog>
#include <QStringList>

#include <memory>

class QComboBox;
struct CATextImportOptions;

namespace Ui {
class TextFileImport;
}

// The sheet in which the user checks a delimited text file before its records become persons:
// one row per column (number, header text, the field key it fills, its value in the record
// shown), stepping through the records, the header switch, and the encoding and delimiter,
// whose change reads the file again. The keys the user assigned stay through such a re-reading:
// the dialog works on its own registry and hands it to the text when it closes.
class CATextImportDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kConfirmed = 0;
    static constexpr int kCancelled = 1;
    // The columns of the table.
    enum Column { NumberColumn = 0, HeaderColumn = 1, KeyColumn = 2, DataColumn = 3 };

    // The keys a column may be given, in menu order; "skip" (0) gives none.
    static const QStringList &keyList();
    // The delimiters of the pop-up at start: tab, comma, semicolon, none.
    static const QStringList &defaultDelimiters();

    explicit CATextImportDialog(QWidget *parent = nullptr);
    ~CATextImportDialog() override;

    // Shows the text and waits for OK (kConfirmed) or Cancel (kCancelled). The working registry
    // goes to the text either way.
    int openDialog(CADelimitedText &text, const CATextImportOptions &options);
    // Shows the text without waiting (for a window that is not modal, and for screenshots).
    void prepare(CADelimitedText &text, const CATextImportOptions &options);
    // Ends a shown text: the working registry goes to the text, which the dialog lets go.
    void finish();

    const CADelimitedText::Registry &workingRegistry() const { return m_registry; }
    int currentRecord() const { return m_currentRecord; }
    // The key-list position a column's pop-up shows.
    int keyIndexOfColumn(int column) const;
    QComboBox *keyPopupOfColumn(int column) const;
    // The menu's choice for a column: "skip" removes its key, any other key moves to it.
    void keyChange(int column, int keyIndex);

    // The installer of the import hooks: the dialog for every text import, on the main thread.
    static bool confirm(CADelimitedText &text, const CATextImportOptions &options, QWidget *window);

private:
    void updateControls();
    void reloadTable();
    void headerCheck(bool on);
    void step(int by);
    void changeEncoding(int index);
    void changeDelimiter(int index);
    int keyIndexForColumn(int column) const;

    std::unique_ptr<Ui::TextFileImport> m_ui;
    CADelimitedText *m_text = nullptr;
    CADelimitedText::Registry m_registry;
    QStringList m_delimiterList;
    QStringList m_encodingList;
    int m_currentRecord = 0;
    bool m_headerForced = false;
};

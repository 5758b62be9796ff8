#pragma once

#include "app/printsheet/CAPrintJob.h"

#include <QDialog>
#include <QStringList>

#include <functional>
#include <memory>

class CADocument;
class CAPrintEditingTab;
class CAPrintPreview;
class CAPrintTarget;
class CAScrollView;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPrinter;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabWidget;

// The print sheet: the preview of the printed pages with the copies, the start position on the
// first sheet, the page in view, marks, address filters, printer, the source of the persons and,
// for envelopes, alignment and rotation. Every choice goes straight into the document's print
// settings. It ends with Cancel (0), Print (1) or Edit List (4); the caller prints on 1.
class CAPrintViewController : public QDialog
{
    Q_OBJECT
public:
    enum ReturnCode : int { Cancel = 0, Print = 1, EditList = 4 };

    // Asks for the file a PDF export goes to, starting at the suggested path (the folder and the
    // name offered); empty cancels. Tests put a path in place.
    using PdfPathChooser = std::function<QString(QWidget *parent, const QString &suggestedPath)>;
    static void setPdfPathChooser(PdfPathChooser chooser);
    // Sets the printer up for a job (the print dialog); false cancels. Tests print into PDF files.
    using PrinterSetup = std::function<bool(QPrinter &printer, QWidget *parent)>;
    static void setPrinterSetup(PrinterSetup setup);
    // Sets the printer up for a job that shows no print dialog (the printer's own settings by
    // default). Tests send such jobs into PDF files.
    using PrinterDestination = std::function<void(QPrinter &printer)>;
    static void setPrinterDestination(PrinterDestination destination);

    // The document must outlive the sheet; printerNames are the printers of the system.
    CAPrintViewController(std::shared_ptr<CADocument> document, CAPrintSheetKind kind,
                          CAPrintJob::PersonChoice persons, const QStringList &printerNames,
                          QWidget *parent = nullptr);
    ~CAPrintViewController() override;

    // The design's name as its window names it ("Untitled" for a design never saved): the file
    // name a PDF export offers, rather than the sheet's title with the layout and size.
    void setDesignName(const QString &name) { m_designName = name; }
    // The folder Save as PDF starts in: the design's own, or the user's documents folder for a
    // design never saved.
    void setDesignFolder(const QString &folder) { m_designFolder = folder.isEmpty() ? folder : folder + u'/'; }

    CAPrintSheetKind kind() const { return m_kind; }
    CAPrintingView *printView() const { return m_view.get(); }
    CADocument &document() const { return *m_document; }
    int pageCount() const { return m_pageCount; }
    // The name of the print list chosen on the sheet; empty for none.
    const QString &currentPersonListName() const { return m_persons.listName; }
    // Whether the preview and the job print the persons of a print list (not the design's own).
    bool usesPrintList() const;
    // Builds the preview when the sheet first shows (or at once for the screenshots and tests).
    void loadImageView();
    // The tab where one printed item is edited in place.
    CAPrintEditingTab *editingTab() const { return _editingTab; }

    // Prints the view's pages through a printer set up by the printer setup (the print dialog, or
    // the destination without it), with progress and a Cancel that stops after the page being
    // made. The printer and paper are the view's own settings, those its pages are laid out
    // with. False (with the reason, unless the user cancelled) when nothing or not everything was
    // printed.
    static bool printWithPrinter(QWidget *parent, CAPrintingView &view, QString *error, bool showDialog = true);

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildForm(const QStringList &printerNames);
    void setUpSettings(const QStringList &printerNames);
    void setCopies(int copies);
    void startFromChanged(int start);
    void pageChanged(int page);
    void updatePageCount();
    // The layout, the persons, the items printed and the table of the list's persons.
    void showJobTexts();
    // Under the page: the persons of the list that would print empty, and the addresses of the
    // preview that do not fit their items.
    void showNotes();
    QString unreadPersonsNote() const;
    // Runs go at once, or when the user confirms printing a list with persons that did not read.
    void whenPersonsConfirmed(const std::function<void()> &go);
    // The items the job prints, as the copies field counts them (not the items a sheet holds),
    // named as what the design is.
    void showItemCount();
    void filterChanged();
    void personSourceChanged(int tag);
    void personListChosen(int index);
    void align(int alignment);
    void rotateBy(int tag);
    void printerSettingsChanged(bool on);
    void printerChosen(int index);
    void exportPdf();
    void finishWith(int code);
    // Whether the sheet has persons to print one item each for, from a print list or the design.
    bool printsPersons() const;
    // Every choice goes into the document's settings and, at once, into the view that previews
    // and prints: the two never differ.
    void changeSettings(const std::function<void(CAPrintSettings &)> &change);
    void updateEnvelopeView();
    // The preview fitted to its container, and zoomed keeping the page point under a container
    // point in place.
    void fitPreviewToRoom();
    void zoomAbout(const QPointF &containerPoint, int percent);
    // A view of the sheet's design and persons for the preview.
    std::unique_ptr<CAPrintingView> makePreviewedView(bool vectorPrinting) const;
    void plugIn(std::unique_ptr<CAPrintingView> view);
    // The turn an envelope or card starts with on the paper of the settings.
    int startingRotation() const;
    // In-place editing: a click in the preview may open an item; closing the editor writes it back.
    void previewClicked(const QPointF &pagePoint, int clickCount);
    void closeEditor();
    void setEditingMode(bool editing);
    void switchGUIMode(bool editOnClick);

    std::shared_ptr<CADocument> m_document;
    CAPrintSheetKind m_kind;
    CAPrintJob::PersonChoice m_persons;
    std::unique_ptr<CAPrintingView> m_view;
    QString m_designName;
    // With its closing slash; empty for none.
    QString m_designFolder;
    int m_itemsPerPage = 1;
    int m_pageCount = 1;
    int m_envelopeRotation = 0;
    // What the making of the view about to be plugged in found of addresses that do not fit.
    mutable QStringList m_viewNotes;
    // Set once the user turns the item (or a stored turn came with the design).
    bool m_rotationChosen = false;

    QTabWidget *_viewTab = nullptr;
    QSpinBox *_copiesEdit = nullptr;
    QSpinBox *_startFromEdit = nullptr;
    QSpinBox *_pageEdit = nullptr;
    QLabel *_pageCount = nullptr;
    QCheckBox *_vectorCheck = nullptr;
    QCheckBox *_suppressCountryFieldCheck = nullptr;
    QCheckBox *_omitContactNameCheck = nullptr;
    QCheckBox *_commaDelimitedCheck = nullptr;
    QCheckBox *_fitAddressPanelCheck = nullptr;
    QCheckBox *_cutLineCheck = nullptr;
    QCheckBox *_dotMarkCheck = nullptr;
    QCheckBox *_printerSettings = nullptr;
    QButtonGroup *_alignmentMatrix = nullptr;
    QButtonGroup *_paperFeed = nullptr;
    QButtonGroup *_personSourceRadio = nullptr;
    QComboBox *_printerList = nullptr;
    QComboBox *_personListButton = nullptr;
    CAScrollView *_scrollView = nullptr;
    CAPrintPreview *_imageView = nullptr;
    QSlider *_zoom = nullptr;
    QLabel *_progressCaption = nullptr;
    QLabel *_fitNote = nullptr;
    QPushButton *_printButton = nullptr;
    QPushButton *_exportButton = nullptr;
    QPushButton *_closeButton = nullptr;
    QPushButton *_guiModeButton = nullptr;
    CAPrintEditingTab *_editingTab = nullptr;
};

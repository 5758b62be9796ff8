#pragma once

#include "kernel/base/FTTypes.h"
#include "kernel/printing/CAPrintSettings.h"
#include "platform/PWJobReport.h"

#include <QByteArray>
#include <QImage>
#include <QPainterPath>
#include <QPicture>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QTransform>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class PWPlist;
class CATemplateFormat;
class CDDArchiveKept;
class CDDReadReport;
class CDDString;
class CFTADocument;
class CFTComponent;
class CFTDocumentController;
class PWPerson;
class PWUndoManager;
class QPainter;
namespace CFTADocumentFileCheck {
struct Cost;
}

// The application's document: one design (a kernel document held through its controller), the
// recipient and sender persons merged into it, the persons and the print list to print with, and
// the file form of all of it. A plain model the document window holds; it draws nothing itself.
// Reading a file never half-changes a document: the file is read into a fresh prepared design,
// which replaces the current one only when the whole file was read.
class CADocument
{
public:
    // The type name of the design file and of the components' pasteboard payload.
    static const QString kAddressDocumentType;
    // The file name extension of a design file.
    static const QString kFileExtension;
    // The export types of Save To, as MIME types: the whole design at 600 dots per inch.
    static const QString kPDFType;
    static const QString kTIFFType;

    // Where a new document finds the kernel document prepared for it (a one-shot hand-off the
    // shell fills at launch or for a menu choice), and the sender list's default person. Either
    // may be empty; see setPreparedDocumentSource and setDefaultSenderSource.
    using PreparedDocumentSource = std::function<std::unique_ptr<CFTADocument>()>;
    using DefaultSenderSource = std::function<std::shared_ptr<PWPerson>()>;
    static void setPreparedDocumentSource(PreparedDocumentSource source);
    // Without a source the default sender is the one the user defaults name ("SenderList",
    // "Default Sender Index"), else the address book's own card, else none.
    static void setDefaultSenderSource(DefaultSenderSource source);
    static std::shared_ptr<PWPerson> defaultSender();

    // A new document: the prepared kernel document when there is one, else a Label for the
    // default country; the kind's default template applied without its window; the default
    // text size set.
    CADocument();
    // Takes over the given kernel document as it is: no template, no text size.
    explicit CADocument(std::unique_ptr<CFTADocument> document);
    ~CADocument();
    // Documents alive in the process, and the most alive at once since resetMostAlive() (which
    // starts from those alive): what a print job holds of copies of its designs.
    static int aliveCount();
    static int mostAlive();
    static void resetMostAlive();

    CADocument(const CADocument &) = delete;
    CADocument &operator=(const CADocument &) = delete;

    CFTADocument *ftDocument() const;
    CFTDocumentController *ftDocumentController() const { return m_controller.get(); }

    // --- the file ------------------------------------------------------------------------------

    // The file bytes for "AddressDocumentType"; empty for any other type.
    // error: why an export gave nothing, in words for the user, when it is known.
    QByteArray dataRepresentationOfType(const QString &type, QString *error = nullptr) const;
    // The XML property list of the whole document (components null: kernel keys, persons,
    // print-list name), or of just the given components in their pasteboard form. Empty, with
    // a log line, when the list cannot be written.
    QByteArray documentDataForComponents(const std::vector<CFTComponent *> *components) const;
    // What the design as it stands costs: the bytes a save would write, weighed as a reader weighs
    // a file. Nothing when they are no property list (the save names that).
    std::optional<CFTADocumentFileCheck::Cost> costAsSaved() const;
    // The property list those bytes hold, without them: copies made for printing read it as
    // loadPropertyList does the parsed file, and a large design is never held as text as well.
    PWPlist propertyListForComponents(const std::vector<CFTComponent *> *components) const;
    // Reads file bytes into the document. False, with the reason in error and the document as
    // it was, for another type, bytes that are not a property list, or a property list that is
    // not a design or lacks what every design of its version holds. Parts that could not be
    // read otherwise are left out and listed in readProblems.
    bool loadDataRepresentation(const QByteArray &data, const QString &type, QString *error = nullptr);
    // The same for file bytes already read as a property list: copies of one design made again
    // and again read its bytes once.
    bool loadPropertyList(const PWPlist &parsed, QString *error = nullptr);
    // Writes the whole document to path through a save file: a failed write leaves what was
    // there before and answers false with the reason. A damaged document (see readProblems)
    // replaces no file for which needsReplaceConfirmation holds.
    // bytes (when given) receives what was written, for the window's stamp of its file.
    bool writeToFile(const QString &path, QString *error = nullptr, QByteArray *bytes = nullptr) const;
    // Whether writing to path would make the loss of a damaged reading final (some part that
    // could not be read is not kept as it was for the save) and so waits for
    // setReplaceDamagedConfirmed: the path is the file the design was read from (for a design
    // read from bytes, any existing file) and nobody confirmed yet. Whoever asks the user asks
    // exactly when this holds.
    bool needsReplaceConfirmation(const QString &path) const;
    // The parts of the last file read that could not be read (left out or changed), one line
    // each, as logged when the file was opened, each saying what a save does with it
    // (CDDReadReport::problemsTold); empty for a whole file and a new document.
    const QStringList &readProblems() const { return m_readProblems; }
    bool isDamaged() const { return !m_readProblems.isEmpty(); }
    // Whether a save would lose some of them: false when every part was kept as it was (a picture
    // by a name the content library lacks is written back by that name).
    bool readLosesParts() const { return m_readLosesParts; }
    // Whether some of them were kept as they were, for a save to write back.
    bool readKeepsParts() const { return m_readKeepsParts; }
    // Whether a save of a damaged document may replace a file (the user agreed to lose what
    // could not be read: the parts readProblems names as left out, and nothing else of what the
    // file holds); cleared by every reading, kept through later saves.
    void setReplaceDamagedConfirmed(bool confirmed) { m_replaceDamagedConfirmed = confirmed; }
    bool isReplaceDamagedConfirmed() const { return m_replaceDamagedConfirmed; }
    // The folder of the design file read last, where the text files its fields name relatively
    // are; empty for a design that was never read from a file.
    const QString &designFolder() const { return m_designFolder; }
    // A copy of a design reads its file names from the design's folder.
    void setDesignFolder(const QString &folder) { m_designFolder = folder; }
    // Reads the design file at path; false with the reason, and the document unchanged, when it
    // cannot be read or is not a design. bytes (when given) receives the file's bytes as read.
    bool readFromFile(const QString &path, QString *error = nullptr, QByteArray *bytes = nullptr);
    // The same three for a file named by the bytes the system knows it by: a name that is no
    // UTF-8 has no faithful QString, and the design is still read from and saved back to it.
    bool readFromFileAtBytes(const QByteArray &path, QString *error = nullptr, QByteArray *bytes = nullptr);
    bool writeToFileAtBytes(const QByteArray &path, QString *error = nullptr, QByteArray *bytes = nullptr) const;
    bool needsReplaceConfirmationAtBytes(const QByteArray &path) const;
    // The components of a pasteboard payload (or of a file's front side), made fresh and owned
    // by the caller; empty when the bytes are not such a list. Paste and drop read through it:
    // bytes past a design file's size and lists of more components than a design holds are
    // refused before they are parsed, as a design file is. complete (when given) tells whether
    // every entry of the list was read.
    static std::vector<std::unique_ptr<CFTComponent>> componentsFromData(const QByteArray &data,
                                                                        QString *error = nullptr,
                                                                        bool *complete = nullptr);

    // --- kernel document attributes --------------------------------------------------------------

    documentType docType() const;
    bool isPredefLayout() const;
    int rowCount() const;
    int colCount() const;
    // An envelope, or a label on a roll: one card to a page.
    bool oneCardOnePage() const;
    QString countryCode(bool toFrom) const;
    QString countryCodeTo() const { return countryCode(true); }
    QString countryCodeFrom() const { return countryCode(false); }
    void setCountryCode(bool toFrom, const QString &code);
    void setCountryCodeTo(const QString &code) { setCountryCode(true, code); }
    void setCountryCodeFrom(const QString &code) { setCountryCode(false, code); }
    // Applies a paper template; with arrange the components are first rescaled to its size.
    void setLayoutArangeComponents(const CATemplateFormat &format, bool arrange);
    // The default font size of new texts by the card's kind and size.
    void setDefTextSize();

    // --- outlines in document coordinates --------------------------------------------------------

    // A rounded rectangle, else a disc cut by two chords, else the rectangle, plus an optional
    // round hole. The orientation does not change the outline.
    static QPainterPath documentSurfacePathForRect(const QRectF &rect, double cornerRadius, double outerDiameter,
                                                   double innerDiameter, bool horizontal);
    // With the kernel document's corner radius; nothing without a kernel document.
    std::optional<QPainterPath> documentSurfacePathForRect(const QRectF &rect) const;
    // The envelope window; nothing without a kernel document.
    std::optional<QPainterPath> windowPath() const;

    // --- output of a design: PDF and TIFF export, item images of the printing views ------------

    // A null list means the whole design: side 0's lists on a rectangle of the card's size grown
    // by bleed on every side, turned to the side's orientation by quarter turns (the output's
    // width and height are exchanged exactly when the drawing is turned by an odd number of them;
    // forceHorizontal turns a taller-than-wide design to landscape as well). A list is drawn
    // alone on the union of its components' rectangles: no bleed, no turn. An envelope window
    // clips the drawing. resolution (dots per inch) is the drawer's; withPrinting draws as for a
    // printer rather than the screen; fitAddressPanel is the caller's business.
    //
    // The vector form, recorded by the same renderer as the PDF: points, origin at the output's
    // top-left corner; a null picture when there is nothing to draw.
    QPicture pictureForComponents(const std::vector<CFTComponent *> *components, double bleed, bool printCutMarks,
                                  bool forceHorizontal, bool fitAddressPanel, bool withPrinting,
                                  double resolution) const;
    // The vector form drawn straight into painter (whose units are points) instead of being
    // recorded: the same drawing the picture holds, at the picture's origin and in the picture's
    // size, so that a printing view can put an item on its page without recording and playing
    // a picture. False (nothing drawn) when there is nothing to draw.
    bool drawComponents(QPainter &painter, const std::vector<CFTComponent *> *components, double bleed,
                        bool printCutMarks, bool forceHorizontal, bool fitAddressPanel, bool withPrinting,
                        double resolution) const;
    // Where the whole design's output (the vector form, or with forceHorizontal true the bitmap
    // form) puts side 0's components: the transform from design points to output points (the
    // bleed, then the side's quarter turns). Nothing when there is nothing to draw.
    std::optional<QTransform> outputTransform(double bleed, bool forceHorizontal) const;
    // The size of the vector form's picture (its bounding rectangle, whole points); nothing when
    // there is nothing to draw.
    std::optional<QSizeF> pictureSizeForComponents(const std::vector<CFTComponent *> *components, double bleed,
                                                   bool forceHorizontal) const;
    // The bitmap form at resolution dots per inch (its size is the output's in points times
    // resolution / 72), always turned to landscape; a whole design on white, a list on a clear
    // background. Null when there is nothing to draw or the bitmap would be unreasonably large,
    // with the reason in words for the user in error.
    QImage imageForComponents(const std::vector<CFTComponent *> *components, double bleed, bool fitAddressPanel,
                              bool withPrinting, double resolution, QString *error = nullptr) const;
    // One PDF page exactly the output's size; empty on failure. The whole design's (no list) names
    // in the open job reports each address that runs past the design's edge.
    QByteArray PDFDataForComponents(const std::vector<CFTComponent *> *components, double bleed, bool printCutMarks,
                                    bool forceHorizontal, bool fitAddressPanel, bool withPrinting,
                                    double resolution) const;
    // The bitmap form as TIFF with its resolution tags; empty on failure, with the reason in
    // error. The whole design's names its addresses past the edge as the PDF does. The bitmap is
    // drawn and written bandRows rows at a time (0: bands of about 32 MB), never held whole.
    QByteArray TIFFDataForComponents(const std::vector<CFTComponent *> *components, double bleed,
                                     bool fitAddressPanel, bool withPrinting, double resolution,
                                     QString *error = nullptr, int bandRows = 0) const;

    // --- persons ---------------------------------------------------------------------------------

    // The recipient (toFrom true) or sender person; may be none.
    std::shared_ptr<PWPerson> currentPerson(bool toFrom) const;
    // Stores a copy of the person (an empty person for none), then optionally gives the side's
    // address components the format of the person's country and fills their texts.
    std::shared_ptr<PWPerson> setCurrentPerson(const PWPerson *person, bool toFrom, bool updateStrings,
                                               bool updateFormat);
    // Puts back a person this document stored before (an undo): the very object, not a copy, so
    // that it keeps its identifier; the side's texts are filled from it unless told otherwise (and
    // a side that had no person has none again).
    void restoreCurrentPerson(std::shared_ptr<PWPerson> person, bool toFrom, bool fillTexts = true);
    void updateObjectsFormatWithPerson(const PWPerson &person, bool toFrom);
    void updateObjectsTextWithPerson(const PWPerson &person, bool toFrom);
    void updateObjectsText(const std::vector<CFTComponent *> &list, const PWPerson &person, bool toFrom);
    // An address panel or address text passes what the user typed back into the side's person.
    void updatePersonWithComponent(CFTComponent *component);
    // While texts are filled from a person: what they then show (in capitals, say) is the
    // person's own and is never written back into it.
    bool isFillingTexts() const { return m_textFillDepth > 0; }
    void updatePersonWithAddressText(CFTComponent *text, bool updateOtherStrings);
    // Every address component of every side passes what it shows back into its side's person
    // (before a print, so that the printed persons are the ones the page shows).
    void rebuildPersonsFromComponents();
    // After reading: each address field takes what the side's stored person holds for it as
    // its own text where it shows that text (the format's delimiter after it or not), so that
    // a field read back gives its person what it held, a comma the user typed included.
    void adoptPersonTextsOfFields();
    // Whether a component of the front side's main list is an address field of that side.
    bool hasAddressControls(bool toFrom) const;

    // A new list comes without notes.
    void setPersonList(std::optional<std::vector<std::shared_ptr<PWPerson>>> list)
    {
        m_personList = std::move(list);
        m_personListNotes.clear();
    }
    const std::optional<std::vector<std::shared_ptr<PWPerson>>> &personList() const { return m_personList; }
    // What the reading of the design's own persons gave a job's report (a contacts file's columns
    // no field takes, the encoding it was read in, ...): each print of those very persons says
    // it again, as a print of the file from the command line does.
    struct PersonsNote
    {
        PWJobReport::Kind kind;
        QString key;
        QString line;
    };
    void setPersonListNotes(std::vector<PersonsNote> notes) { m_personListNotes = std::move(notes); }
    const std::vector<PersonsNote> &personListNotes() const { return m_personListNotes; }
    void setPrintListName(std::optional<QString> name) { m_printListName = std::move(name); }
    const std::optional<QString> &getPrintListName() const { return m_printListName; }
    void setCapitalizedAddressPanel(bool capitalized) { m_capitalizedAddressPanel = capitalized; }
    bool isCapitalizedAddressPanel() const { return m_capitalizedAddressPanel; }
    void setPrintMode(bool printMode) { m_printMode = printMode; }
    bool isPrintMode() const { return m_printMode; }

    // --- series printing, forwarded to the kernel document --------------------------------------

    void resetObjects();
    void nextStepObjects();
    void clearObjects();
    void setValueObjects(int number);
    void snapshotObjects();
    void restoreObjects();

    // --- editing and print information ------------------------------------------------------------

    // The document's one undo manager: every user command registers its inverse here.
    PWUndoManager *undoManager() const { return m_undoManager.get(); }
    // The print information the document prints with.
    CAPrintSettings &printSettings() { return m_printSettings; }
    const CAPrintSettings &printSettings() const { return m_printSettings; }
    // The paper, orientation and envelope flags of the print information for the layout: label
    // roll makers' labels on their roll paper or printable size, sheets on the paper their name
    // gives when it is one the print system knows (others keep the paper they have), envelopes and
    // single cards on the default page, or with the printer's settings or when the default page
    // cannot hold them on paper of their own size.
    void setupPrintInfo(bool usePrinterSettings);
    // The paper-size name of a layout printed on a named sheet when no known paper has that name;
    // nothing when the sheet is known, names no paper, or the layout is no sheet.
    std::optional<QString> unknownSheetPaper() const;

    // --- what the calibration sheet may offer ----------------------------------------------------

    bool hasCalHorizontal() const { return true; }
    bool hasCalVertical() const { return true; }
    bool hasCalScale() const { return rowCount() > 2; }

private:
    // A new kernel document of the kind and countries, before any template.
    static std::unique_ptr<CFTADocument> makePreparedDocument(documentType type, const CDDString &codeTo,
                                                              const CDDString &codeFrom);
    // The kind's default template, without its envelope window, the components left as they are.
    static void applyDefaultLayout(CFTADocument &document);
    static void applyLayout(CFTADocument &document, const CATemplateFormat &format, bool arrange);
    static void applyDefTextSize(CFTADocument &document);
    // readFromFile with the folder the design's relative file names are read from.
    bool readFromFileIn(const QString &path, const QString &folder, QString *error, QByteArray *bytes);
    void adopt(std::unique_ptr<CFTADocument> document);

    inline static PreparedDocumentSource s_preparedDocumentSource;
    inline static DefaultSenderSource s_defaultSenderSource;

    std::unique_ptr<CFTDocumentController> m_controller;
    std::unique_ptr<PWUndoManager> m_undoManager;
    CAPrintSettings m_printSettings;
    std::shared_ptr<PWPerson> m_personTo;
    std::shared_ptr<PWPerson> m_personFrom;
    std::optional<std::vector<std::shared_ptr<PWPerson>>> m_personList;
    std::vector<PersonsNote> m_personListNotes;
    bool m_capitalizedAddressPanel = false;
    bool m_printMode = false;
    std::optional<QString> m_printListName;
    QStringList m_readProblems;
    QString m_designFolder;
    // The file of the last damaged reading, where what could not be read still is, by its name's
    // bytes with links resolved; empty when the design came from bytes.
    QByteArray m_damagedSourceBytes;
    // Whether a save would lose some of the read problems (not all parts were kept as they were).
    bool m_readLosesParts = false;
    bool m_readKeepsParts = false;
    bool m_replaceDamagedConfirmed = false;
    int m_textFillDepth = 0;
    // What the file read last holds beyond what was read (keys this version does not know, values
    // it refused): every save writes it back until the user changes that very property.
    std::shared_ptr<const CDDArchiveKept> m_keptFile;
    // The report of the last reading, while it named parts left out: a confirmed replace leaves
    // out of the save exactly those.
    std::shared_ptr<const CDDReadReport> m_readReport;
};

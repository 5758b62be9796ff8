#pragma once

#include <QByteArray>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>

class CADocView;
class CACanvasEdits;
class CCInternetPictureLoad;
class CFTComponent;
class QClipboard;
class QMimeData;

// Copy, cut, paste and duplicate of one canvas, and the builders that turn pasteboard data into
// new objects (shared with drops onto the canvas). Data is checked before anything changes: what
// is not what its type claims -- a design list that is no property list, a picture that does not
// decode, an empty vCard, a text far beyond any label -- is refused with a log line, and the
// design stays as it was.
class CACanvasClipboard
{
public:
    // How far each paste of design objects lands from the previous one, in points.
    static constexpr double kPasteStep = 10.0;
    // The largest text a paste or drop takes; anything longer is no label text.
    static constexpr qsizetype kTextLimit = qsizetype(1) * 1024 * 1024;

    explicit CACanvasClipboard(CADocView &canvas);
    ~CACanvasClipboard();

    // Where the next paste of design objects goes, on both axes: 10 after a copy, growing by 10
    // with each such paste, 0 after a paste of anything else.
    double pasteDelta() const { return m_pasteDelta; }

    // The selection as the design type with its PDF and TIFF renderings; null when nothing is
    // selected.
    std::unique_ptr<QMimeData> copyData() const;
    // Puts the selection on the clipboard; with nothing selected the clipboard and the paste
    // offset stay as they were. Answers whether it copied.
    bool copy(QClipboard *clipboard);
    // Copy, then delete, as one step named "CUT_OBJECT".
    void cut(QClipboard *clipboard);
    // Design objects, files, a URL, a text or a picture from the data; one step "PASTE_OBJECT".
    // A copied card (vCard data or files) is the recipient instead, one step "CHANGE_PERSON".
    // Answers whether something was inserted or the person changed.
    bool paste(const QMimeData *data);
    // Copies of the selection 10 points off, selected; one step "DUPLICATE_OBJECT".
    void duplicate();
    // Capitals in the selected address panels (which then keep persons in capitals) and address
    // texts; plain texts stay as they are. One step, named "SET_ADDRESS_UPPERCASE" or
    // "SET_TEXT_UPPERCASE" after the last kind changed; no step when nothing changed.
    void capitalizeSelection();

    // --- Builders: each answers whether it inserted something --------------------------------
    // Archived components moved by offset, inserted and selected.
    bool makeNewObjectsWithData(const QByteArray &data, const QPointF &offset);
    bool makeNewImageFromURL(const QUrl &url, const QPointF &point);
    bool makeNewImageFromContentsOfFile(const QString &path, const QPointF &point);
    // A named image of the content library or the application, else any picture type. An
    // internet search result is first loaded whole: it comes in later, as a step of its own,
    // and a picture that cannot be loaded is refused; the answer then is false.
    bool makeNewImageFromPasteboard(const QMimeData &data, const QPointF &point);
    // An internet picture of the given name is being loaded to come in.
    bool isLoadingInternetPicture() const;
    // A "Simple Text" address text whose first line starts at the point.
    bool makeNewTextFromPasteboard(const QMimeData &data, const QPointF &point);

    // --- What pasteboard data offers ----------------------------------------------------------
    // The design type the data carries ("ProductDocumentType" before "AddressDocumentType"), or
    // an empty string.
    static QString designMimeType(const QMimeData &data);
    // Whether the data offers a picture of a type the canvas reads.
    static bool hasImage(const QMimeData &data);
    static bool hasText(const QMimeData &data);
    // The local files among the data's URLs, and the other URLs.
    static QStringList fileNames(const QMimeData &data);
    static QList<QUrl> remoteUrls(const QMimeData &data);

private:
    // The recipient from a copied card; nothing when the data holds no card alone.
    std::optional<bool> pastePerson(const QMimeData &data);
    CACanvasEdits &edits() const;
    void insertComponents(std::vector<CFTComponent *> &made, const QPointF &offset);
    QPointF pageCentre() const;

    void insertInternetPicture(const QString &name, const QPointF &point);

    CADocView &m_canvas;
    double m_pasteDelta = 0.0;
    std::unique_ptr<CCInternetPictureLoad> m_internetLoad;
};

#pragma once

#include "kernel/printing/CAPrintSettings.h"
#include "kernel/printing/CATemplateFormat.h"

#include <QByteArray>
#include <QMap>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class CADocument;
class CAImageEx;
class CAPrintPreparer;
class CAPrintTarget;
class PWPerson;
class PWPlist;
class QPainter;
class QPdfWriter;

// The key of one cached item image: which processed copy (by identity), which person and which
// design it shows, and whether it is vector. The copy takes no part in the hash.
class DocMapPreviewType
{
public:
    // All bits set: no person, or no design (an item edited in place).
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    DocMapPreviewType() = default;
    DocMapPreviewType(const CADocument *document, std::uint32_t personIndex, std::uint32_t documentIndex,
                      bool vectorImage);

    const CADocument *document() const { return _document; }
    std::uint32_t personIndex() const { return _personIndex; }
    std::uint32_t documentIndex() const { return _documentIndex; }
    bool isVectorImage() const { return _bVectorImage; }

    bool operator==(const DocMapPreviewType &other) const = default;
    // inthash of (design index << 16) | (person index & 0xFF), with 0x8000 set for vector images.
    std::uint32_t hash() const;

private:
    const CADocument *_document = nullptr;
    std::uint32_t _personIndex = kNone;
    std::uint32_t _documentIndex = kNone;
    bool _bVectorImage = false;
};

template <>
struct std::hash<DocMapPreviewType>
{
    std::size_t operator()(const DocMapPreviewType &key) const noexcept { return key.hash(); }
};

// The address filters: "SuppressCountryField", "OmitContactName", "CommaDelimited",
// "FitAddressPanel", and in results the "Did..." flags and "RequestProcessOriginal".
// "CommaDelimited" counts by its presence as well as by its value.
using CADocumentFilter = QMap<QString, bool>;

// The keys of a document filter: what to do to each copy, and what was done to it.
namespace DocumentFilterKey {
inline const QString SuppressCountryField = QStringLiteral("SuppressCountryField");
inline const QString OmitContactName = QStringLiteral("OmitContactName");
inline const QString CommaDelimited = QStringLiteral("CommaDelimited");
inline const QString FitAddressPanel = QStringLiteral("FitAddressPanel");
inline const QString RequestProcessOriginal = QStringLiteral("RequestProcessOriginal");
inline const QString DidSuppressCountryField = QStringLiteral("DidSuppressCountryField");
inline const QString DidOmitContactName = QStringLiteral("DidOmitContactName");
inline const QString DidCommaDelimited = QStringLiteral("DidCommaDelimited");
inline const QString DidFitAddressPanel = QStringLiteral("DidFitAddressPanel");
} // namespace DocumentFilterKey

// How the processed copy of one run of map entries is made again when it has been let go of:
// a fresh copy of the design in print mode with the first person of the run and the filter its
// changes came from. Entries of one run share one record, and so one copy. The unchanged copy
// of a design is the record every entry starts from.
struct CADocMapCopy
{
    // The copy while it is held; null once let go of (made again on demand).
    std::shared_ptr<CADocument> document;
    // The design's file, read once, the copy is made from; null for a copy edited in place.
    std::shared_ptr<const PWPlist> designData;
    int documentIndex = -1;
    // Index into the view's person list of the run's first person; -1 for the design's own.
    int personIndex = -1;
    CADocumentFilter filter;
    // Copies that filters changed are made per run and let go of once their pages are printed;
    // the unchanged copy of a design and copies edited in place are kept.
    bool disposable = false;
    // The last map index that names this copy.
    int lastIndex = -1;
    // The person list index whose person the held copy was last filled with (kNoPerson when
    // unknown): filling a copy with the person it already holds would redo the same work.
    static constexpr int kNoPerson = -2;
    int heldPerson = kNoPerson;
    // On the unchanged copy: the design's own recipient, for entries without a list person.
    std::shared_ptr<PWPerson> ownRecipient;
    // On the unchanged copy: the last person's filtered copy, kept when its entries let go of it
    // (spareHolder is the record that last held it). Put back as it was before its filters, it
    // becomes the next unchanged copy, while the unchanged copy, already filled with the person
    // who needs a copy of their own, becomes that copy: a changed person costs neither a copy
    // read from the design's file nor a second fill.
    std::shared_ptr<CADocument> spare;
    std::weak_ptr<CADocMapCopy> spareHolder;
};

// One printed item: the copy of the design it shows, the person (an index into the view's
// person list, -1 for the design's own recipient) and the design (-1 for an item edited in
// place), and its image once rendered.
struct CADocMapEntry
{
    std::shared_ptr<CADocMapCopy> copy;
    int personIndex = -1;
    int documentIndex = -1;
    std::shared_ptr<CAImageEx> preview;
    // Set while the filters have not yet looked at the entry's person: the copy is the design's
    // unchanged one until the entry's page is first needed, when the person is filled in once
    // and the entry keeps that copy or gets one of its own.
    bool pending = false;
    // Set once the entry was drawn straight into a printed page (it needs no image for that).
    bool drawn = false;
    // Set while the image lacks a PDF or EPS picture whose rendering was still under way when it
    // was drawn (a preview does not wait for one): the image is shown, never cached.
    bool incomplete = false;
    // The copy's document, or null when it is not held right now.
    CADocument *document() const { return copy ? copy->document.get() : nullptr; }
};

using CADocumentMap = std::vector<CADocMapEntry>;

// The base of the printing views (label sheets, rolls, envelopes): the document map with one
// entry per printed item, the settings of a print job, the view mode with its resolution, the
// item images with their cache, the end of in-place editing, and the page loop. A plain object
// that paints into any QPainter; the print sheet shows it, the document prints it.
//
// Memory: a long print list does not hold a copy of the design per person. Persons share one
// copy unless a filter changes it; changed copies and item images are made when their page
// needs them and let go of once that page is printed.
class CAPrintingView
{
public:
    enum ViewMode : int { kPrintMode = 0, kPreviewMode = 1, kCalibrationMode = 2 };
    static constexpr int kTag = 27;

    using PersonList = std::vector<std::shared_ptr<PWPerson>>;
    using DocumentList = std::vector<std::shared_ptr<CADocument>>;

    // Makes the image of one item; tests and the benchmark may swap the renderer. Null when the
    // document yields no image.
    using ItemRenderer = std::function<std::shared_ptr<CAImageEx>(CADocument &document, bool vector,
                                                                  bool withPrinting, double resolution,
                                                                  double bleed)>;

    // The paper comes from the settings; the filters from the preferences; print-list use is on
    // when a person list is given. The view starts in preview mode with an empty map.
    CAPrintingView(DocumentList documentList, std::optional<PersonList> personList,
                   const CAPrintSettings &settings, bool vectorPrinting);
    // No designs and no persons, vector printing on, the layout kept: for calibration pages.
    CAPrintingView(const CATemplateFormat &layout, const CAPrintSettings &settings);
    virtual ~CAPrintingView();

    CAPrintingView(const CAPrintingView &) = delete;
    CAPrintingView &operator=(const CAPrintingView &) = delete;

    int tag() const { return kTag; }

    // --- pages ---------------------------------------------------------------------------------

    // Pages of the job: the map over the items per page.
    virtual int pageCount() const;
    // The paper as the pages are drawn, in points.
    virtual QSizeF paperSize() const;
    // Draws page (1-based) into a painter whose units are points, y down, origin at the paper's
    // top-left corner.
    virtual void drawPage(QPainter &painter, int page) = 0;
    // Before a job's pages, and with a preview of them: what the job's persons and designs make
    // of each other (a design without a recipient given persons), in the open job reports.
    void noteJobOfPersons() const;
    // The map indices page (1-based) shows: [first, first + count), clipped to the map. The base
    // fills pages from the first slot; views with a start position override it.
    virtual std::pair<int, int> mapRangeForPage(int page) const;
    // Prints the pages the target asks for (every page once, for most) into it: print mode
    // (calibration views stay in theirs), images made page by page and let go of after it. Refuses an unsupported document type. Answers
    // false with the reasons when the job was refused or some item image could not be made
    // (those slots are left blank; the rest is printed).
    bool printPages(CAPrintTarget &target, QString *error = nullptr);
    bool printPages(QPdfWriter &writer, QString *error = nullptr);
    // The target of the job being printed; null between jobs.
    CAPrintTarget *printTarget() const { return m_target; }
    // The items whose image could not be made in the last job or refresh.
    const QStringList &printFailures() const { return m_failures; }

    // Columns × rows of the layout, 1 without a layout or when that is 0.
    int itemsPerPage() const;
    // Copies that fill one sheet: at least 1, also for envelopes and postcards without a grid.
    int fullSheetCopies() const { return itemsPerPage(); }

    // --- the document map ----------------------------------------------------------------------

    const CADocumentMap &documentMap() const { return m_documentMap; }
    // The map for the designs, persons and copies (the first persons get one more item each when
    // copies do not divide evenly; -1 copies is one per design and person). May switch print-list
    // use off (an empty list). Renders nothing.
    CADocumentMap getDocumentMap(const DocumentList &documentList, const std::optional<PersonList> &personList,
                                 int copies);
    CADocumentMap getDocumentMap(const DocumentList &documentList, const std::optional<PersonList> &personList,
                                 int copies, int startOffset, int limit);
    // Rebuilds the map with the view's copies and empties the image cache, then refreshes the
    // page in view.
    void updateDocumentMap(const DocumentList &documentList, const std::optional<PersonList> &personList);
    void updateDocumentMap();
    // Refreshes the entries of the page in view, keeping images they have.
    void fillCurrentMarkerDocumentMap();
    // Every entry gets its person again and a new image.
    void refreshDocumentMap();
    // Entry index: the person applied to its copy again (counters and file fields start over), and
    // an image when it has none or update is set. Out of range does nothing.
    void refreshDocumentMap(int index, bool updatePreview);
    void clearDocMapPreviewCache();
    // Lets go of the entries' images drawn while a rendering was under way, so that they are made
    // again with the rasters there are now; answers whether there was any.
    bool dropIncompleteImages();
    // Sends clearObjects to every held copy.
    void clearObjects();

    // The entry's copy, made again when it was let go of; null out of range.
    CADocument *documentForMapIndex(int index);
    // The entry's image, refreshed when it has none; null out of range or when no image could be
    // made (then the failure is recorded and the slot must stay blank).
    CAImageEx *imageForMapIndex(int index);
    // Whether items are drawn straight into the page rather than through an image: when printing
    // vector output with the document's own renderer. A picture played back would only repeat
    // what drawing the copy does, after recording it first.
    bool drawsItemsDirectly() const;
    // The entry's copy made ready to be drawn straight into a page (filled with the entry's
    // person when it holds another); null out of range or when there is no copy.
    CADocument *documentToDrawForMapIndex(int index);
    // Notes that the entry at index was drawn into the page being printed.
    void markDrawn(int index);
    // Worker threads that prepare the copies of a merge drawn straight into its pages: -1 (the
    // default) for as many as the machine has cores to spare, 0 for none (the main thread
    // prepares each copy when its page needs it). The pages are the same either way.
    void setPreparationThreads(int threads) { m_preparationThreads = threads; }
    int preparationThreads() const { return m_preparationThreads; }
    // The components the copies prepared ahead of a job's pages may hold together: a design
    // larger than half of it is prepared one copy at a time, by the page writer alone.
    void setPreparedComponentBound(std::size_t components) { m_preparedComponentBound = std::max<std::size_t>(components, 1); }
    // The memory the copies a job holds at once may take together, weighed on the job's first
    // copy: a copy that alone takes more is prepared one at a time, by the page writer alone.
    // However many persons a job prints, it holds no more than this (or one copy).
    static constexpr qint64 kPreparedBytes = qint64(256) * 1024 * 1024;
    void setPreparedMemoryBound(qint64 bytes) { m_preparedBytes = std::max<qint64>(bytes, 1); }
    // Of the last job that had its items prepared (0 for none): the copies it held at most at
    // once, and what its first copy kept when it was weighed.
    int lastJobHeldCopies() const { return m_lastJobHeldCopies; }
    qint64 lastJobCopyBytes() const { return m_lastJobCopyBytes; }
    // Whether a print job of the view as it stands would have its items prepared by workers: a
    // merge of list persons on a label sheet drawn straight into its pages, threads allowed.
    bool preparesItemsOnWorkers() const;
    // Records that the item at index could not be drawn (its slot stays blank).
    void recordItemFailure(int index);
    // Lets go of the images of the entries in [first, first + count), and of filter-changed
    // copies no later entry names.
    void releaseMapRange(int first, int count);

    // --- images --------------------------------------------------------------------------------

    // Bleed around an item: 50 points on label rolls, else half the smaller label gap.
    static double bleedForDocument(const CADocument &document);
    std::shared_ptr<CAImageEx> imageForDocument(CADocument &document, bool vectorPrinting, bool withPrinting,
                                                double resolution);
    std::shared_ptr<CAImageEx> imageForDocument(CADocument &document);
    // From the cache when present. Both indices -1 (an item edited in place): never cached and
    // made with the view's own vector flag.
    std::shared_ptr<CAImageEx> cachedImageForDocument(CADocument &document, int personIndex, int documentIndex,
                                                      bool vectorImage, bool store);
    std::size_t cachedImageCount() const { return m_imageCache.size(); }
    // While set (a window shows the view), the item images of preview mode are made without
    // waiting for the renderings of PDF and EPS pictures, on whatever thread makes them; a print
    // job, in print mode, always waits for them.
    void setDefersRenderings(bool defer) { m_defersRenderings = defer; }
    void setItemRenderer(ItemRenderer renderer);

    // --- filters -------------------------------------------------------------------------------

    // The preferences' filters ("FTSuppressCountryField", "FTCommaDelimitedAddress").
    static CADocumentFilter sharedDocumentFilter();
    CADocumentFilter currentDocumentFilter() const;
    // Checks (checkOnly) or applies the filter to the copy; answers the "Did..." flags and
    // "RequestProcessOriginal". `laidOutByCheck` says that the copy is exactly as a check with
    // the same filter left it: a panel nothing changes before its fit keeps the check's layout.
    static CADocumentFilter processFilter(const CADocumentFilter &filter, CADocument &document, bool checkOnly,
                                          bool laidOutByCheck = false);
    // Whether a result of processFilter says some filter changed (or would change) the copy.
    static bool filterChanges(const CADocumentFilter &result);
    // Draws an item's copy straight into painter as a printed label sheet shows it; false when
    // there was nothing to draw.
    static bool drawItemStraight(QPainter &painter, const CADocument &document, double resolution);

    // --- settings ------------------------------------------------------------------------------

    // Rebuilds the map (and empties the image cache).
    void setCopies(int copies);
    int peopleCount() const { return _nCopies; }
    // Refreshes the page now in view.
    void setCurPage(int page);
    int curPage() const { return _nCurPage; }
    // The start position, the marks and the printer are the job's settings themselves: the
    // preview and every printed page read the same record, so nothing prints from choices made
    // before the last change.
    void setStartFrom(int startFrom) { m_settings.startFrom = startFrom; }
    int startFrom() const { return m_settings.startFrom; }
    void setDrawCutMarkers(bool draw) { m_settings.cutLines = draw; }
    bool drawCutMarkers() const { return m_settings.cutLines; }
    void setDrawDotMarkers(bool draw) { m_settings.dottedMark = draw; }
    bool drawDotMarkers() const { return m_settings.dottedMark; }
    // The printer whose calibration applies when the target names none (a PDF file).
    void setPrinterName(const QString &name) { m_settings.printerName = name; }
    // The printer whose calibration applies: the printer of the job's target when it names one,
    // else the printer of the settings.
    QString printerForPainter(const QPainter &painter) const;
    // Takes every choice of the job at once (paper, printer, start, marks, envelope keys); the
    // map keeps the copies it was built for (setCopies rebuilds it).
    void setPrintSettings(const CAPrintSettings &settings);
    void setVectorPrinting(bool vector) { _bVectorPrinting = vector; }
    bool isVectorPrinting() const { return _bVectorPrinting; }
    void setSuppressCountryField(bool suppress) { _bSuppressCountryField = suppress; }
    bool suppressCountryField() const { return _bSuppressCountryField; }
    void setCommaDelimited(bool comma) { _bCommaDelimited = comma; }
    bool commaDelimited() const { return _bCommaDelimited; }
    void setFitAddressPanel(bool fit) { _bFitAddressPanel = fit; }
    bool fitAddressPanel() const { return _bFitAddressPanel; }
    // Reaches the filter: company contacts lose their contact-name lines.
    void setOmitContactName(bool omit) { _bOmitContactName = omit; }
    bool omitContactName() const { return _bOmitContactName; }
    void usePrintList(bool use) { _usePrintList = use; }
    bool isUsePrintList() const { return _usePrintList; }
    void setPersonList(std::optional<PersonList> personList) { _personList = std::move(personList); }
    const std::optional<PersonList> &personList() const { return _personList; }
    const DocumentList &documentList() const { return _documentList; }
    void setGUIMode(int mode) { _guiMode = mode; }
    int guiMode() const { return _guiMode; }
    const std::optional<CATemplateFormat> &layout() const { return _layout; }
    QSizeF cardSize() const { return _cardSize; }
    const CAPrintSettings &printSettings() const { return m_settings; }
    // Hooks the envelope and roll views give meaning to.
    virtual void setAlignment(int alignment);
    virtual void setRotation(int rotation);
    virtual void startEditingPage(int page);

    // --- modes ---------------------------------------------------------------------------------

    // Stores the mode and answers its resolution in dots per inch.
    float setPrintViewMode(int mode);
    static float resolutionForViewMode(int mode);
    int viewMode() const { return _viewMode; }
    bool previewMode() const { return _viewMode == kPreviewMode; }
    bool calibrationMode() const { return _viewMode == kCalibrationMode; }
    float resolution() const { return _resolution; }

    // --- in-place editing ----------------------------------------------------------------------

    void setEditingIndex(int index) { _editingIndex = index; }
    int editingIndex() const { return _editingIndex; }
    // The edited copy becomes the entry's own (no person, no design) and gets a new image; an
    // editing index of -1 or past the map's end does nothing.
    void printControllerEndEditing(std::shared_ptr<CADocument> document);

protected:
    // Whether the view's pages take their items through documentToDrawForMapIndex when they
    // draw them straight (label sheets); only such a job has its copies prepared by workers.
    virtual bool takesItemsToDraw() const { return false; }
    void setLayout(const CATemplateFormat &layout) { _layout = layout; }
    void setCardSize(const QSizeF &size) { _cardSize = size; }
    // Stores the copies without rebuilding the map (subclass initialisers build it themselves).
    void setCopiesValue(int copies) { _nCopies = copies; }
    void setDocumentMap(CADocumentMap map) { m_documentMap = std::move(map); }
    // A copy of a design read from its file, in print mode; null (with a log line) when the file
    // cannot be read back. designFolder: the folder the design was read from, where the text files
    // its fields name relatively are.
    static std::shared_ptr<CADocument> makeCopy(const PWPlist &designData, const QString &designFolder = QString());
    friend class CAPrintPreparer;
    void recordFailure(const QString &failure) { m_failures.append(failure); }

private:
    void init(const CAPrintSettings &settings, bool vectorPrinting);
    const PWPerson *personAt(int listIndex) const;
    // refreshDocumentMap(index, updatePreview), filling the copy with the entry's person only when
    // reapplyPerson is set or the copy holds another person.
    void refreshEntry(int index, bool updatePreview, bool reapplyPerson);
    // The first half of refreshEntry: the entry's copy with its objects reset and its person.
    CADocument *prepareEntry(int index, bool reapplyPerson);
    // The copy named by entry index, made again from its record when it was let go of; a pending
    // entry is settled first.
    CADocument *materialize(int index);
    // Settles the pending run of entries around index (one person and design): the unchanged
    // copy is filled with the person, and when a filter would change it the run gets a copy of
    // its own with the change made.
    void settleEntry(int index);
    // The workers of a print job, when it is a merge drawn straight into its pages and threads
    // are allowed; null otherwise.
    std::unique_ptr<CAPrintPreparer> makePreparer() const;
    // While a job's copies are prepared apart from the map: lets go of the copies the map holds
    // (made again on demand) and answers the design's unchanged records, whose copies it let go
    // of too; restoreUnchangedCopies makes those again from their designs.
    std::vector<std::shared_ptr<CADocMapCopy>> setAsideMapCopies();
    void restoreUnchangedCopies(const std::vector<std::shared_ptr<CADocMapCopy>> &unchanged) const;
    // makeCopy for the design of the list's index.
    std::shared_ptr<CADocument> copyOfDesign(int documentIndex, const PWPlist &designData) const;
    // The view's side of preparesItemsOnWorkers: everything but the map's entries.
    bool preparationAllowed() const;
    void forgetCachedImagesOf(const CADocument *document);
    // The cached images of one copy become another's (same persons and designs).
    void moveCachedImages(const CADocument *from, const CADocument *to);
    // The document's own renderings: a recorded picture when vector, else a bitmap.
    static std::shared_ptr<CAImageEx> defaultItemImage(CADocument &document, bool vector, bool withPrinting,
                                                       double resolution, double bleed);

    DocumentList _documentList;
    CADocumentMap m_documentMap;
    std::optional<PersonList> _personList;
    std::optional<CATemplateFormat> _layout;
    int _editingIndex = -1;
    QSizeF _cardSize;
    int _nCopies = 0;
    int _nCurPage = 1;
    bool _bVectorPrinting = true;
    bool _bSuppressCountryField = false;
    bool _bCommaDelimited = false;
    bool _bFitAddressPanel = false;
    bool _bOmitContactName = false;
    int _viewMode = kPreviewMode;
    float _resolution = 100.0f;
    bool _usePrintList = false;
    int _guiMode = 0;
    CAPrintSettings m_settings;
    std::unordered_map<DocMapPreviewType, std::shared_ptr<CAImageEx>> m_imageCache;
    ItemRenderer m_renderer;
    QStringList m_failures;
    CAPrintTarget *m_target = nullptr;
    int m_preparationThreads = -1;
    std::size_t m_preparedComponentBound = 100000;
    qint64 m_preparedBytes = kPreparedBytes;
    int m_lastJobHeldCopies = 0;
    qint64 m_lastJobCopyBytes = 0;
    bool m_defersRenderings = false;
    // While a job prints: the copies its workers prepare.
    std::unique_ptr<CAPrintPreparer> m_preparer;
};

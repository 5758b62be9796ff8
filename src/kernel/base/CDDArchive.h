#pragma once

#include "kernel/base/CDDColor.h"
#include "kernel/base/CDDNumberRange.h"
#include "kernel/base/CDDOwnState.h"
#include "kernel/base/CDDString.h"
#include "kernel/base/FTTypes.h"
#include "platform/PWPlist.h"

#include <QLoggingCategory>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

class CDDArchiveKept;
class CDDPen;
class CDDReadReport;
class PWFont;
class QTextDocument;

Q_DECLARE_LOGGING_CATEGORY(lcArchive)

// How an archive keeps pictures: inline in its dictionary, or as entries of a package content
// list. Every archive this system makes is inline.
enum packageType : std::int32_t {
    ptInline = 0,
    ptPackage = 1,
};

// The one format in which the kernel saves and loads objects: one property-list dictionary,
// written while storing and read while loading. Objects write typed values under text keys;
// a list of objects is an array of child dictionaries, each the archive of one object. Getters
// answer false and leave their target untouched when the key is absent or its value cannot be
// read (wrong kind, malformed keyed archive), so a loader starts from its defaults and takes
// only what the file holds. Numbers are written and read in the C locale.
//
// Rich texts (CDDText), pictures and address formats are stored with the same codecs
// (PWKeyedArchiver, PWKeyedUnarchiver, PWRtfd); their setters and getters join this class
// together with the classes they store.
class CDDArchive
{
public:
    // What colour elision asks of the default component: its fill and stroke colours. The
    // component base implements it; the archive does not own it.
    class DefaultComponent
    {
    public:
        virtual CDDColor GetFillColor() const = 0;
        virtual CDDColor GetStrokeColor() const = 0;

    protected:
        ~DefaultComponent() = default;
    };

    // A storing archive starts with an empty dictionary (and, for package type 1, an empty
    // package content); a loading archive has no dictionary until one is attached.
    explicit CDDArchive(bool storing, packageType type = ptInline);
    ~CDDArchive();
    // A copy shares the other archive's dictionary and package content and carries its bundle
    // version; it has no list and no default component.
    CDDArchive(const CDDArchive &other) = default;
    // Takes the mode, package type and archive path and shares the dictionary and package
    // content; the list, default component and bundle version stay as they are.
    CDDArchive &operator=(const CDDArchive &other) = default;

    // Adopts a dictionary (any other value leaves the archive without one); Dettach answers it
    // and forgets it.
    void Attach(const PWPlist &dictionary);
    PWPlist Dettach();
    void AttachArray(const PWPlist &array);
    PWPlist DettachArray();

    bool isStoring() const { return m_storing; }
    // Switched to loading, a written archive reads its own dictionary.
    void setStoring(bool storing) { m_storing = storing; }
    // The dictionary as written so far (a null value without one); for an archive storing an
    // object read from a file, with what the object kept of it (startFrom).
    PWPlist getDict() const;
    // Makes what an object kept of the file it was read from (none: nothing) the start of what
    // this storing archive and its copies answer: the object's keys are written over it where the
    // user changed them (CDDArchiveKept::merged).
    void startFrom(std::shared_ptr<const CDDArchiveKept> kept) const;
    PWPlist getPackageContent() const;
    packageType GetPackageType() const { return m_packageType; }
    void setDefComponent(const DefaultComponent *component) { m_defComponent.value = component; }
    const DefaultComponent *getDefComponent() const { return m_defComponent.value; }
    void setBundleVersion(int version) { m_bundleVersion.value = version; }
    int getBundleVersion() const { return m_bundleVersion.value; }
    CDDString GetArchivePath() const { return m_archivePath; }
    void SetArchivePath(const CDDString &path) { m_archivePath = path; }
    bool isArrayProcessing() const { return m_list.value != nullptr; }

    // The report of a file's reading: child archives and copies share it, every lookup goes into
    // it, and readers note there what they had to leave out. Without one, nothing is collected.
    void setReadReport(std::shared_ptr<CDDReadReport> report) { m_report = std::move(report); }
    const std::shared_ptr<CDDReadReport> &readReport() const { return m_report; }
    // The dictionary being read, as the report knows it (CDDReadReport::unreadPathsBelow).
    const PWPlist::Dictionary *readDictionary() const { return m_dictionary.get(); }
    // Logs a part of the file that the reading left out (read from key, when there is one), and
    // notes it in the report.
    void noteUnread(const QString &key, const QString &what) const;
    // The same for a part kept as it was for the next save (CDDReadReport::noteKept).
    void noteKept(const QString &key, const QString &what) const;
    // The same for the value under key, which could not be read for reason, named with the
    // component or design it belongs to.
    void noteValueUnread(const QString &key, const QString &reason) const;
    // The same for a value that no design can hold (value as the file has it), read as kept.
    void noteOutOfRange(const QString &key, const QString &value, const QString &kept) const;
    // Whether value, the part of the value under key that what names (a text's font size), lies
    // within range; a value that does not is named as left out.
    bool acceptPart(const QString &key, const QString &what, double value, CDDNumberRange range) const;

    // Lists: from BeginArrayData to EndArrayData, SetData with a child archive appends to the
    // list and ignores its key.
    void BeginArrayData() const;
    void EndArrayData(const QString &key) const;
    bool SetData(const QString &key, const CDDArchive &child) const;
    // Attaches the value under key to archive: an array as its list, a dictionary as its
    // dictionary. False for an absent key and for a value of any other kind.
    bool GetData(const QString &key, CDDArchive &archive) const;
    int countObjectsInArray() const;
    // A loading archive over the list entry at index; without one, an archive with no dictionary.
    CDDArchive objectAtIndexInArray(int index) const;

    // Typed values. Setters replace what is under the key and answer true unless said otherwise.
    bool SetData(const QString &key, int value) const;
    // Written in full, whatever its size.
    bool SetData(const QString &key, long value) const;
    bool SetData(const QString &key, double value) const;
    bool SetData(const QString &key, float value) const;
    bool SetData(const QString &key, bool value) const;
    // A text literal would otherwise become a bool.
    bool SetData(const QString &key, const char *value) const = delete;
    bool SetRectData(const QString &key, double x, double y, double width, double height) const;
    bool SetData(const QString &key, const CDDPen &pen) const;
    // Nothing is written for a null value.
    bool SetData(const QString &key, const CDDString &value) const;
    // The bundle version of the running application.
    bool SetData(const QString &key) const;
    // Left out when equal to the default component's colour for the key.
    bool SetData(const QString &key, const CDDColor &color) const;
    // Nothing is written for a null font.
    bool SetData(const QString &key, const PWFont *font) const;
    // The document's text as an archived text storage; nothing when it has no characters.
    bool SetData(const QString &key, const QTextDocument &storage) const;

    // Every number is read with the range its use allows (CDDRanges): there are no getters of a
    // number without one, so that no reader takes what no design can hold.
    bool GetData(const QString &key, int *value) const = delete;
    bool GetData(const QString &key, long *value) const = delete;
    bool GetData(const QString &key, double *value) const = delete;
    bool GetData(const QString &key, float *value) const = delete;
    // A stored number outside the range (NaN and the infinities among them, a fraction where a
    // whole number is asked for), and a value that is no number (a text that does not start with
    // a number; data, a list, a dictionary) are kept out: named in the read report with the value
    // kept, the target left as it was, and the answer false as for an absent key. A text that
    // starts with a number and holds more ("12abc") is read as that number (for an int, its sign
    // and digits) and named as damaged. Reals are read in single precision, like every real of a
    // design.
    bool GetData(const QString &key, double *value, CDDNumberRange range) const;
    bool GetData(const QString &key, float *value, CDDNumberRange range) const;
    // The same, for a reader that puts something else in the place of a refused value: instead
    // says what, and is the end of the line that names the value.
    bool GetData(const QString &key, float *value, CDDNumberRange range, const QString &instead) const;
    bool GetData(const QString &key, int *value, CDDNumberRange range) const;
    // Exactly "YES" or "NO"; anything else is named and kept out.
    bool GetData(const QString &key, bool *value) const;
    // Each of the four numbers within range; one outside (or no number, or missing) leaves its
    // target as it was and is named with the rectangle's text, the others are read.
    bool GetRectData(const QString &key, double *x, double *y, double *width, double *height,
                     CDDNumberRange range = CDDRanges::kFinite) const;
    // A width within CDDRanges::kLength.
    bool GetData(const QString &key, CDDPen &pen) const;
    bool GetData(const QString &key, CDDString &value) const;
    // The value under key as it stands in the file, for keys whose reader is not the kernel's.
    bool GetData(const QString &key, PWPlist *value) const;
    // Components and alpha within CDDRanges::kColorComponent; a colour with one outside is named
    // and kept out.
    bool GetData(const QString &key, CDDColor &color) const;
    // A size that is not CDDRanges::isFontSize is named and left to the default.
    bool GetData(const QString &key, PWFont *font) const;
    // The archived text replaces the document's contents.
    bool GetData(const QString &key, QTextDocument *storage) const;


    // Class IDs and document types by their names in the tables of CDDArchiveKeys.h.
    bool SetClassID(int classID) const;
    bool GetClassID(int *classID) const;
    bool SetDocumentType(documentType type) const;
    bool GetDocumentType(documentType *type) const;

    // Raw access for the readers and writers of other layers that keep their own entry forms
    // (pictures, in the drawing layer): a stored value under key, and an entry appended to the
    // package content, which answers false when this archive writes no package.
    bool store(const QString &key, const PWPlist &value) const;
    PWPlist value(const QString &key) const;
    bool appendPackageEntry(const PWPlist::Dictionary &entry) const;
    bool hasPackageContent() const { return m_packageContent != nullptr; }

private:
    // The stored text under key, or nothing (logged) when the key holds something else.
    std::optional<QString> text(const QString &key) const;
    // The number under key as the file has it, NaN and the infinities included, with its text for
    // a report; nothing for an absent key and for a value that is no number, which asStored then
    // describes and notANumber tells. A text that holds more than a number gives the number it
    // starts with (a real, or for real false the whole number of its digits), and leadingOnly.
    std::optional<double> storedNumber(const QString &key, QString *asStored, bool *notANumber, bool real,
                                       bool *leadingOnly) const;
    // The number under key within range (in single precision for a real, whole within an int for
    // another), or nothing: absent, or named as no number or out of range, with outcome (what the
    // reader does instead) closing the line.
    std::optional<double> numberWithin(const QString &key, CDDNumberRange range, bool real,
                                       const QString &outcome) const;
    // Names the value under key that is no number (as the file has it, or its kind), read as kept.
    void noteNotANumber(const QString &key, const QString &value, const QString &kept) const;
    // Names the value under key (as the file has it) that why refuses, and outcome.
    void noteNumberRefused(const QString &key, const QString &why, const QString &value, const QString &outcome) const;

    // Takes a decoded colour (null: none) into color unless a component lies outside
    // CDDRanges::kColorComponent, which is named.
    bool takeColor(const QString &key, std::shared_ptr<const PWColor> decoded, CDDColor &color) const;

    bool m_storing;
    // Shared by copies: a write through one is seen by all.
    std::shared_ptr<PWPlist::Dictionary> m_dictionary;
    std::shared_ptr<PWPlist::Array> m_packageContent;
    // Set by the one component storing through this archive, never by a copy.
    CDDOwnState<const DefaultComponent *> m_defComponent;
    // The list being written or read: a walk of this archive alone.
    mutable CDDOwnState<std::unique_ptr<PWPlist::Array>> m_list;
    // The version of the application that wrote what this archive holds. Archives made in this
    // process carry the running version, copies and child archives their source's; only the
    // reading of a file sets the file's own, so that just old files are converted as old files.
    CDDOwnState<int, true> m_bundleVersion;
    packageType m_packageType;
    CDDString m_archivePath;
    std::shared_ptr<CDDReadReport> m_report;
    // For a list read from a dictionary: that dictionary and the list's key there.
    std::pair<const PWPlist::Dictionary *, QString> m_listOrigin;
    // Shared by copies, as the dictionary it is merged with is; storing archives alone have one.
    std::shared_ptr<std::shared_ptr<const CDDArchiveKept>> m_kept;
};

#pragma once

#include "kernel/base/CDDString.h"
#include "kernel/base/FTTypes.h"
#include "platform/PWTextAlignment.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>
#include <optional>

class CDDVariant;
class PWGroup;

// Utilities shared across the kernel and the application: number and length parsing for the
// catalogues, percent-encoding, paths for the scripted contact imports, picture-file ordering,
// an integer hash, measurement units, smart-field formatting and a few name mappings.

// Three-way results of the comparators.
enum FTComparisonResult : int {
    orderedAscending = -1,
    orderedSame = 0,
    orderedDescending = 1,
};

// Numbers as the catalogues were parsed: the text must fit Mac Roman in at most 255 bytes (else
// 0), leading white space is skipped and parsing stops at the first character that cannot
// continue the number (0 when nothing parses). The integer saturates at the int range.
int GetIntFromCFString(const QString &text);
float GetFloatFromCFString(const QString &text);
// A length of a paper catalogue in points: inches, unless an "m" follows the number anywhere
// (millimetres). Only the run of digits and dots at the very start counts. units, when given,
// receives the unit found; it is left alone when the text is not Mac Roman.
float GetFloatFromCFStringWithUnits(const QString &text, cardUnits *units = nullptr);

// Every UTF-8 byte (up to a zero byte) as "%xx" in lower-case hexadecimal, letters included.
QString urlEncode(const QString &text);

// The colon-separated path the scripting of other applications expects: the volume name of the
// root file system followed by the path with "/" turned into ":". Nothing for a relative or empty
// path, or when the root volume has no name.
std::optional<QString> ConvertPOSIXPath2HFS(const QString &path);
std::optional<QString> ConvertPOSIXPath2HFS(const QString &path, const QString &volumeName);
// The path with symbolic links resolved; the path unchanged when it cannot be resolved.
QString resolveSymLink(const QString &path);

// Picture files in the order the clip-art search lists them: "hpi", then "jpg", then "pdf"
// (any case), then every other extension, all others being equal. A strict weak ordering.
FTComparisonResult compareFileExtensions(const QString &first, const QString &second);
// Descriptors are maps with "name" (a file name) and "hint" (a caption): by the extension of the
// name, then by caption ignoring case (an empty caption counts as the file name without its
// extension, as it is shown). A strict weak ordering.
FTComparisonResult compareFileDescriptors(const QVariantMap &first, const QVariantMap &second);
// Sorts descriptors with compareFileDescriptors, keeping the order of equal ones.
void sortFileDescriptors(QList<QVariantMap> &descriptors);
// Address book groups by name ignoring case, as group lists are shown. A strict weak ordering.
FTComparisonResult compareABGroups(const PWGroup &first, const PWGroup &second);

// Thomas Wang's 32-bit integer hash, with two's-complement wrap-around and sign-filling right
// shifts (the keys of the printing preview cache depend on the exact values).
std::int32_t inthash(std::int32_t key);

// The user's display unit (user default "FTMeasurementUnits"; millimetres when never set).
cardUnits getMeasurementUnits();
// Size of one point in the unit: 25.4/72 for millimetres, 1/72 for inches, else 1.
double convertDotToMeasurementUnits(cardUnits units);
// "mm", "in" or "pt".
CDDString stringForMeasurementUnit(cardUnits units);

// A smart-field value as text. Without a format the value's own text. Otherwise every "#x" pair
// is replaced: #d/#D the date's description, #p/#P the first integer, #A/#a the first integer as
// an upper/lower-case letter (1 is A), #c/#C the second integer, anything else nothing; a "#" at
// the very end is dropped. A format without any "#" is a calendar format for the date.
CDDString FormatValue(const CDDVariant &value, const CDDString &format);

// Kernel alignment to the platform's and back; kernel 3 goes out as natural and comes back as
// left, as does anything unknown.
PWTextAlignment getNSTextAlignment(textAlignment alignment);
textAlignment getTextAlignment(PWTextAlignment alignment);

// The shape kind of a basic-shape file ("…/Cloud.pdf" is a cloud), compared case-sensitively;
// any other name is a plain rectangle.
compType componentTypeByFileName(const QString &fileName);
// The shape kind a basic-shape file names; nothing for a name the table does not know.
std::optional<compType> basicShapeTypeByFileName(const QString &fileName);
// Every name of the basic-shape table, one per shape kind a file can name.
QStringList basicShapeNames();

// A name starting with base that is not in names: base itself when no name starts with it,
// else base followed by one more than the largest number after it. Nothing without a list.
std::optional<QString> uniqueName(const QString &base, const QStringList *names);

// Stored names of the document kinds; dtUnknown for a name in no table (compared exactly).
std::optional<QString> documentSerializationKeyBydocumentType(documentType type);
documentType documentTypeBydocumentSerializationKey(const QString &key);

// The placeholder of an address field of a category, in the user's language; "none" for
// categories without one.
QString defStringForCategory(textCategory category);

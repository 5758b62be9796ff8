#pragma once

#include "kernel/base/CDDNumberRange.h"
#include "platform/PWPlist.h"

#include <QPointF>
#include <QString>
#include <QStringList>

#include <array>

#include <map>
#include <optional>

class PWUserDefaults;

// One printer's correction as the calibration sheet stores it in the user default
// "FTCalibration" (a dictionary keyed by printer name): horizontal and vertical offsets and the
// vertical scale reading, all three in millimetres and kept as the texts the user typed, plus
// whether the scale applies. Readers take the numbers from the start of those texts, so a
// value stored as a number reads the same. A printer without an entry reads as all zero; so does
// a reading the sheet could not have taken (outside its range, or no number at all), which the
// print names instead of moving the page by it.
class CACalibrationSettings
{
public:
    static const QString kDefaultsKey;     // "FTCalibration"
    static const QString kHorizontalKey;   // "FTCalibrationHorizontal"
    static const QString kVerticalKey;     // "FTCalibrationVertical"
    static const QString kScaleKey;        // "FTCalibrationScale"
    static const QString kScaleEnabledKey; // "FTCalibrationScaleEnabled"

    // The three readings, and what the sheet and the printing take of each: the sheet's fields
    // hold these ranges, and a stored reading outside its range is not applied.
    enum Reading { Horizontal, Vertical, Scale };
    struct ReadingRange
    {
        Reading reading;
        const char *name; // in the words a report uses
        CDDNumberRange millimetres;
    };
    static constexpr std::array<ReadingRange, 3> kReadingRanges {{
        {Horizontal, "horizontal offset", {-50.0, 50.0}},
        {Vertical, "vertical offset", {-50.0, 50.0}},
        {Scale, "scale reading", {-50.0, 50.0}},
    }};

    CACalibrationSettings() = default;
    CACalibrationSettings(const QString &horizontal, const QString &vertical, const QString &scale,
                          bool scaleEnabled);
    bool operator==(const CACalibrationSettings &) const = default;

    const QString &horizontalText() const { return m_horizontal; }
    const QString &verticalText() const { return m_vertical; }
    const QString &scaleText() const { return m_scale; }
    bool isScaleEnabled() const { return m_scaleEnabled; }
    // The numbers of the texts, millimetres; 0 for a reading outside its range or that is no
    // number (an empty text is 0 without a word).
    float horizontal() const;
    float vertical() const;
    float scale() const;
    // Each reading left at 0 by the above, in words: 'the horizontal offset "1e30" is no number
    // from -50 to 50 mm'. The scale reading is named only while the scale applies.
    QStringList problems() const;

    // The dictionary form of one printer's entry, and back. A value that is not a dictionary
    // reads as all zero; numbers and booleans stored in place of texts are taken as they stand,
    // a reading stored as anything else (a list, a dictionary, data, a date) is no number: it
    // reads as an empty text and problems() names it.
    PWPlist::Dictionary toDictionary() const;
    static CACalibrationSettings fromDictionary(const PWPlist &entry);

    // Every stored entry by printer name (the sheet's working copy), and the whole set written
    // back at once. Entries that are not dictionaries are left out of the copy; writing back
    // keeps them, and keeps every entry the copy holds unchanged exactly as it was stored.
    static std::map<QString, CACalibrationSettings> allSettings(const PWUserDefaults &defaults);
    static void setAllSettings(PWUserDefaults &defaults, const std::map<QString, CACalibrationSettings> &all);
    // The entry of the printer, nothing when it has none (then nothing is applied). A reading it
    // leaves out, and an entry (or a whole set) that is no dictionary, is named to the job being
    // printed (as a part put off its paper) and logged.
    static std::optional<CACalibrationSettings> storedForPrinter(const PWUserDefaults &defaults,
                                                                 const QString &printer);
    // The same from the process-wide store.
    static std::optional<CACalibrationSettings> storedForPrinter(const QString &printer);
    // Replaces the printer's entry and keeps the others.
    static void storeForPrinter(PWUserDefaults &defaults, const QString &printer,
                                const CACalibrationSettings &settings);

    // The shift of a printed page in points, y down: the horizontal offset moves the print right
    // (only with more than one column), the vertical offset moves it up (only with more than one
    // row), as the calibration page measures them.
    QPointF pageTranslation(int columns, int rows) const;
    // The vertical scale of a label sheet, from the two vertical readings between the bottom
    // edge of the first row and the top edge of the last: 1 - (scale - vertical) / span, both
    // readings in millimetres converted to points. Nothing when the scale is off, there are two
    // rows or fewer, the span is not positive, the scale reading is left out, or the factor
    // would not be a positive number: the page is then printed unscaled.
    std::optional<double> verticalScaleFactor(int rows, double rowPitch, double itemHeight) const;

private:
    const QString &readingText(Reading reading) const;
    // The reading's number, or nothing when it lies outside its range or is no number.
    std::optional<float> checked(Reading reading) const;

    QString m_horizontal = QStringLiteral("0");
    QString m_vertical = QStringLiteral("0");
    QString m_scale = QStringLiteral("0");
    bool m_scaleEnabled = false;
    // For each reading stored as neither text nor number, what it was stored as ("a list");
    // empty for the others.
    std::array<QString, 3> m_storedAs;
};

#pragma once

#include "platform/PWPlist.h"

#include <QPageLayout>
#include <QSizeF>
#include <QString>

#include <optional>

// What one print job is set up with: the paper and printer, and the print-info keys the print
// sheet, the document and the printing views hand each other. The printing views lay out all
// copies themselves, so `copies` is the number of items asked for, never a printer's copy count.
struct CAPrintSettings
{
    // The print-info keys, in their stored spelling.
    static inline const QString piStartFrom = QStringLiteral("StartFrom");
    static inline const QString piCutLines = QStringLiteral("CutLines");
    static inline const QString piDotMark = QStringLiteral("DottedMark");
    static inline const QString piEnvelopeAlign = QStringLiteral("EnvelopAlignment");
    static inline const QString piEnvelopeRotation = QStringLiteral("EnvelopRotation");
    static inline const QString piPersonList = QStringLiteral("PersonList");
    static inline const QString piKnownFormat = QStringLiteral("KnownPaperFormat");
    static inline const QString piUsePrinterSettings = QStringLiteral("UsePrinterSettings");

    // Paper in points, as the printer is asked for it (before the orientation turns it).
    QSizeF paperSize = QSizeF(612.0, 792.0);
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    // Empty for the system's default printer.
    QString printerName;
    int copies = 1;

    // 1-based position of the first item on the first sheet.
    int startFrom = 1;
    bool cutLines = false;
    bool dottedMark = false;
    // 0, 1 or 2: how an envelope lies against the feed.
    int envelopeAlignment = 0;
    // Degrees, 0 to 359.
    int envelopeRotation = 0;
    // Whether the persons came from a print list (stored as "YES" / "NO").
    bool personList = false;
    // Whether the printer knows a paper of the envelope's size (stored as "1" / "0").
    bool knownPaperFormat = false;
    // Whether the printer's own settings place the envelope (stored as "1" / "0").
    bool usePrinterSettings = false;

    bool operator==(const CAPrintSettings &other) const = default;

    // The print-info keys with the value kinds their readers expect: numbers for the start,
    // alignment and rotation, booleans for the marks, the texts "YES"/"NO" and "1"/"0" for the
    // flags stored as text.
    PWPlist::Dictionary dictionary() const;
    // Reads the print-info keys back. A missing key keeps the value it had; a value of the wrong
    // kind or out of range is refused with the reason in error (and a log line), leaving the
    // record unchanged. Flags stored as text also accept numbers and booleans.
    bool setDictionary(const PWPlist::Dictionary &dictionary, QString *error = nullptr);

    // The print-info value of one key; nothing for a key that is not one of the above.
    std::optional<PWPlist> valueForKey(const QString &key) const;
    // Sets one print-info key; false with the reason for an unknown key or a bad value.
    bool setValueForKey(const QString &key, const PWPlist &value, QString *error = nullptr);

    // The page layout of the paper with no margins: the views place everything themselves.
    QPageLayout pageLayout() const;
    // The paper in points as it lies on the page (landscape swaps the sides).
    QSizeF orientedPaperSize() const;
    // Whether a paper holds an item lying either way, with half a point of slack for sizes that
    // came through inches and millimetres.
    static bool paperHolds(const QSizeF &paper, const QSizeF &item);
};

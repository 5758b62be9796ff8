#pragma once

#include <QFont>
#include <QString>

class QTextCharFormat;

// A font as documents store it: a PostScript name ("Helvetica-BoldOblique"), a point size and the
// archived font flags, kept exactly as read so that a file read and written again is unchanged.
// The mapping to a QFont parses the PostScript name into a family and a style; the way back
// builds a PostScript name from a QFont's family, weight and slant.
class PWFont
{
public:
    // Flags written for a font made here: the value the platform's own archiver writes for an
    // ordinary document font.
    static constexpr int kDefaultFlags = 16;
    // The size used for drawing when the stored size is not a positive number.
    static constexpr double kDefaultPointSize = 12.0;

    PWFont() = default;
    PWFont(const QString &postScriptName, double pointSize, int flags = kDefaultFlags);

    const QString &postScriptName() const { return m_name; }
    double pointSize() const { return m_size; }
    int flags() const { return m_flags; }

    // The family, weight and slant the PostScript name stands for, at the stored size.
    QFont toQFont() const;
    // Gives a character format this font's family, size, weight and slant, and the PostScript
    // name as PWTextAttributes::PostScriptFontName. Every text codec applies fonts this way, so
    // that one font gives one format whichever codec read it.
    void applyTo(QTextCharFormat *format) const;
    // A font for a QFont. A stored PostScript name is kept while it still describes the QFont's
    // family, boldness and slant; otherwise a name is made from the QFont.
    static PWFont fromQFont(const QFont &font, const QString &storedPostScriptName = QString());

    // What a PostScript name says: "TimesNewRomanPS-BoldItalicMT" is the family "Times New
    // Roman", bold and italic. Names with spaces are taken as family names as they stand.
    struct Style
    {
        QString family;
        QFont::Weight weight = QFont::Normal;
        bool italic = false;

        bool operator==(const Style &other) const = default;
    };
    static Style parsePostScriptName(const QString &postScriptName);

    // "DejaVu Sans" bold italic becomes "DejaVuSans-BoldItalic".
    static QString postScriptNameFor(const QFont &font);

    // Whether this process has no font at all (a font configuration that names no folder): every
    // text then prints as boxes. False without a GUI application, which has no font database.
    static bool noneInstalled();

    bool operator==(const PWFont &other) const = default;

private:
    // parsePostScriptName without the answers it keeps.
    static Style parseUnknownPostScriptName(const QString &postScriptName);

    QString m_name;
    double m_size = kDefaultPointSize;
    int m_flags = kDefaultFlags;
};

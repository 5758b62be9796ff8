#include "platform/PWFont.h"

#include "platform/PWTextAttributes.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QTextCharFormat>

#include <algorithm>
#include <array>
#include <atomic>

namespace {

struct WeightName
{
    const char *word;
    QFont::Weight weight;
};

// Searched in this order, so that "SemiBold" is not taken for "Bold" nor "ExtraLight" for
// "Light".
constexpr std::array<WeightName, 14> kWeightWords = {{
    {"semibold", QFont::DemiBold},
    {"demibold", QFont::DemiBold},
    {"extrabold", QFont::ExtraBold},
    {"ultrabold", QFont::ExtraBold},
    {"heavy", QFont::ExtraBold},
    {"black", QFont::Black},
    {"bold", QFont::Bold},
    {"demi", QFont::DemiBold},
    {"extralight", QFont::ExtraLight},
    {"ultralight", QFont::ExtraLight},
    {"hairline", QFont::Thin},
    {"thin", QFont::Thin},
    {"light", QFont::Light},
    {"medium", QFont::Medium},
}};

QString withoutSuffix(QString text, const QString &suffix)
{
    if (text.size() > suffix.size() && text.endsWith(suffix))
        text.chop(suffix.size());
    return text;
}

QString spaceless(const QString &family)
{
    QString key = family;
    key.remove(QLatin1Char(' '));
    return key.toLower();
}

// Installed families by their name without spaces, so that "DejaVuSans" finds "DejaVu Sans".
// The font database exists only with a GUI application; without one, nothing is installed.
QString installedFamily(const QString &base)
{
    static QMutex mutex;
    static QHash<QString, QString> families;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return QString();
    QMutexLocker lock(&mutex);
    if (families.isEmpty()) {
        for (const QString &family : QFontDatabase::families())
            families.insert(spaceless(family), family);
    }
    return families.value(base.toLower());
}

// "TimesNewRoman" becomes "Times New Roman", "ITCAvantGarde" "ITC Avant Garde".
QString splitCamelCase(const QString &base)
{
    QString family;
    for (qsizetype i = 0; i < base.size(); ++i) {
        const QChar c = base.at(i);
        if (i > 0 && c.isUpper()) {
            const QChar before = base.at(i - 1);
            const bool afterLower = before.isLower() || before.isDigit();
            const bool endsCapitals = before.isUpper() && i + 1 < base.size() && base.at(i + 1).isLower();
            if (afterLower || endsCapitals)
                family += QLatin1Char(' ');
        }
        family += c;
    }
    return family;
}

QString weightWord(int weight)
{
    if (weight < (QFont::Thin + QFont::ExtraLight) / 2)
        return QStringLiteral("Thin");
    if (weight < (QFont::ExtraLight + QFont::Light) / 2)
        return QStringLiteral("ExtraLight");
    if (weight < (QFont::Light + QFont::Normal) / 2)
        return QStringLiteral("Light");
    if (weight < (QFont::Normal + QFont::Medium) / 2)
        return QString();
    if (weight < (QFont::Medium + QFont::DemiBold) / 2)
        return QStringLiteral("Medium");
    if (weight < (QFont::DemiBold + QFont::Bold) / 2)
        return QStringLiteral("Semibold");
    if (weight < (QFont::Bold + QFont::ExtraBold) / 2)
        return QStringLiteral("Bold");
    if (weight < (QFont::ExtraBold + QFont::Black) / 2)
        return QStringLiteral("ExtraBold");
    return QStringLiteral("Black");
}

bool isBoldWeight(int weight)
{
    return weight >= QFont::DemiBold;
}

} // namespace

PWFont::PWFont(const QString &postScriptName, double pointSize, int flags)
    : m_name(postScriptName), m_size(pointSize), m_flags(flags)
{
}

PWFont::Style PWFont::parsePostScriptName(const QString &postScriptName)
{
    // A document names a handful of fonts over and over (every run of every text a merge fills,
    // fits and puts back): the answers are kept per name. Only once the installed families are
    // known, since they take part in the answer and are read once per process.
    const bool installedKnown = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
    if (!installedKnown)
        return parseUnknownPostScriptName(postScriptName);
    thread_local QHash<QString, Style> known;
    if (const auto found = known.constFind(postScriptName); found != known.constEnd())
        return *found;
    if (known.size() >= 1024)
        known.clear();
    return *known.insert(postScriptName, parseUnknownPostScriptName(postScriptName));
}

PWFont::Style PWFont::parseUnknownPostScriptName(const QString &postScriptName)
{
    Style style;
    const QString name = postScriptName.trimmed();
    if (name.contains(QLatin1Char(' '))) {
        style.family = name;
        return style;
    }
    const qsizetype dash = name.indexOf(QLatin1Char('-'));
    QString base = dash < 0 ? name : name.left(dash);
    QString styleWords = dash < 0 ? QString() : name.mid(dash + 1);

    // Font makers' tags on the base name ("PSMT", "MT", "PS") are no part of the family.
    base = withoutSuffix(withoutSuffix(withoutSuffix(base, QStringLiteral("PSMT")), QStringLiteral("MT")),
                         QStringLiteral("PS"));
    styleWords = withoutSuffix(withoutSuffix(styleWords, QStringLiteral("MT")), QStringLiteral("PS"));

    const QString installed = installedFamily(base);
    style.family = installed.isEmpty() ? splitCamelCase(base) : installed;

    const QString lower = styleWords.toLower();
    for (const WeightName &word : kWeightWords) {
        if (lower.contains(QLatin1String(word.word))) {
            style.weight = word.weight;
            break;
        }
    }
    style.italic = lower.contains(QLatin1String("italic")) || lower.contains(QLatin1String("oblique"));
    return style;
}

bool PWFont::noneInstalled()
{
    // Asked for every text a job draws: the database is read once.
    static std::atomic<int> known{-1};
    const int answer = known.load(std::memory_order_acquire);
    if (answer >= 0)
        return answer == 1;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return false;
    // Without any font file the database still lists the generic families ("Sans Serif",
    // "Serif", "Monospace"), whose fonts hold no glyph at all.
    const auto holdsLetters = [](const QFont &font) { return QFontMetricsF(font).inFont(QLatin1Char('a')); };
    bool none = !holdsLetters(QFont());
    if (none) {
        const QStringList families = QFontDatabase::families();
        none = std::none_of(families.begin(), families.end(),
                            [&](const QString &family) { return holdsLetters(QFont(family)); });
    }
    known.store(none ? 1 : 0, std::memory_order_release);
    return none;
}

QString PWFont::postScriptNameFor(const QFont &font)
{
    QString base = font.family();
    base.remove(QLatin1Char(' '));
    QString style = weightWord(font.weight());
    if (font.italic())
        style += QStringLiteral("Italic");
    return style.isEmpty() ? base : base + QLatin1Char('-') + style;
}

QFont PWFont::toQFont() const
{
    const Style style = parsePostScriptName(m_name);
    QFont font;
    font.setFamilies({style.family});
    font.setPointSizeF(m_size > 0.0 ? m_size : kDefaultPointSize);
    font.setWeight(style.weight);
    font.setItalic(style.italic);
    return font;
}

void PWFont::applyTo(QTextCharFormat *format) const
{
    const Style style = parsePostScriptName(m_name);
    format->setFontFamilies(QStringList{style.family});
    format->setFontPointSize(m_size > 0.0 ? m_size : kDefaultPointSize);
    format->setFontWeight(style.weight);
    format->setFontItalic(style.italic);
    format->setProperty(PWTextAttributes::PostScriptFontName, m_name);
}

PWFont PWFont::fromQFont(const QFont &font, const QString &storedPostScriptName)
{
    const double size = font.pointSizeF() > 0.0 ? font.pointSizeF() : kDefaultPointSize;
    if (!storedPostScriptName.isEmpty()) {
        const Style stored = parsePostScriptName(storedPostScriptName);
        if (spaceless(stored.family) == spaceless(font.family())
            && isBoldWeight(stored.weight) == isBoldWeight(font.weight()) && stored.italic == font.italic())
            return PWFont(storedPostScriptName, size);
    }
    return PWFont(postScriptNameFor(font), size);
}

#include "kernel/base/CDDString.h"

#include "kernel/base/CDDCountryNames.h"

#include "platform/PWBundle.h"
#include "platform/PWLog.h"
#include "platform/PWPlist.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMutex>
#include <QMutexLocker>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <optional>

namespace {

Q_LOGGING_CATEGORY(lcValues, "pw.kernel.foundation")

QString withNewlines(QString text)
{
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

// Blanks and tabs: the characters trimmed around separators (no line ends).
bool isBlank(QChar c)
{
    return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}

qsizetype leadingBlanks(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    return i;
}

QString trimBlanks(const QString &text)
{
    const qsizetype start = leadingBlanks(text);
    qsizetype end = text.size();
    while (end > start && isBlank(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

QString lastPathComponent(const QString &path)
{
    qsizetype end = path.size();
    while (end > 1 && path.at(end - 1) == QLatin1Char('/'))
        --end;
    const QString trimmed = path.left(end);
    if (trimmed == QLatin1String("/"))
        return trimmed;
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

CDDString::CDDString(const QString &str)
    : m_text(str)
{
}

bool CDDString::operator==(const CDDString &other) const
{
    return m_null == other.m_null && m_text == other.m_text;
}

bool CDDString::isEqualToData(const QString &str) const
{
    return !m_null && m_text == str;
}

const QTextDocumentFragment *CDDString::getAttributedData() const
{
    return m_attributed ? &*m_attributed : nullptr;
}

void CDDString::setData(const QString &str)
{
    m_text = str;
    m_attributed.reset();
    m_null = false;
}

void CDDString::setData(const QTextDocumentFragment &attributed)
{
    m_text = withNewlines(attributed.toRawText());
    m_attributed = attributed;
    m_null = false;
}

void CDDString::setData(std::nullptr_t)
{
    m_text.clear();
    m_attributed.reset();
    m_null = true;
}

CDDString &CDDString::appendString(const CDDString &other)
{
    setData(m_text + other.m_text);
    return *this;
}

bool CDDString::initStringWithBarcodeLabel(CDDString &label)
{
    QFont font = qGuiApp ? QFontDatabase::systemFont(QFontDatabase::GeneralFont) : QFont();
    font.setPointSizeF(7.0);
    QTextCharFormat format;
    format.setFont(font);
    format.setForeground(QColor::fromRgbF(0.48f, 0.48f, 0.48f, 1.0f));

    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText(PWLocalizedString(QStringLiteral("Enter ZIP to display barcode")), format);
    label.setData(QTextDocumentFragment(&document));
    return true;
}

CDDString CDDString::initStringWithCounterFieldParameters(int start, int increment)
{
    return CDDString(PWLocalizedString(QStringLiteral("Counter")) + QLatin1Char(' ')
                     + QString::number(start) + QLatin1Char(' ')
                     + PWLocalizedString(QStringLiteral("by")) + QLatin1Char(' ')
                     + QString::number(increment));
}

CDDString CDDString::initStringWithFileFieldParameters(const CDDString &path, int field)
{
    if (path.isNull())
        return CDDString();
    const QString &filePath = path.getData();
    if (filePath.isEmpty())
        return CDDString(PWLocalizedString(QStringLiteral("File Data")));
    if (!QFileInfo::exists(filePath))
        return CDDString(PWLocalizedString(QStringLiteral("File doesn't exist")));

    constexpr qsizetype maxLength = 9;
    QString name = lastPathComponent(filePath);
    if (name.size() > maxLength) {
        // Six characters and dots up to nine; never cut a surrogate pair in half.
        qsizetype keep = 6;
        if (name.at(keep - 1).isHighSurrogate())
            --keep;
        name = name.left(keep) + QString(maxLength - keep, QLatin1Char('.'));
    }
    const QString suffix = field == 0
        ? PWLocalizedString(QStringLiteral("Each line"))
        : PWLocalizedString(QStringLiteral("Col")) + QLatin1Char(' ') + QString::number(field);
    return CDDString(name + QLatin1Char(' ') + suffix);
}

std::unique_ptr<CDDString> CDDString::createStringByAppendingString(const QString &separator,
                                                                    const CDDString &reference,
                                                                    const CDDString &text,
                                                                    bool onlyWhenMissing,
                                                                    bool onlyAfterSeparator)
{
    const QString &value = text.getData();
    if (!onlyWhenMissing || separator.isEmpty())
        return std::make_unique<CDDString>(value + separator);
    if (onlyAfterSeparator && !trimBlanks(reference.getData()).endsWith(separator))
        return std::make_unique<CDDString>(value);
    if (value.endsWith(separator))
        return std::make_unique<CDDString>(value);
    return std::make_unique<CDDString>(value + separator);
}

std::unique_ptr<CDDString> CDDString::createStringByRemovingString(const QString &separator,
                                                                   const CDDString & /*reference*/,
                                                                   const CDDString &text,
                                                                   bool /*onlyWhenMissing*/,
                                                                   bool /*onlyAfterSeparator*/)
{
    const QString &value = text.getData();
    const QString trimmed = trimBlanks(value);
    // An empty separator is found nowhere, so it removes nothing.
    if (value.isEmpty() || separator.isEmpty() || !trimmed.endsWith(separator))
        return std::make_unique<CDDString>(text);
    const qsizetype cut = leadingBlanks(value) + trimmed.size() - separator.size();
    return std::make_unique<CDDString>(value.left(cut));
}

std::unique_ptr<CDDString> CDDString::createStringWithCapitalize(const CDDString &text, bool upper)
{
    const QString &value = text.getData();
    if (value.isEmpty())
        return std::make_unique<CDDString>();
    if (value.size() == 1)
        return std::make_unique<CDDString>(upper ? value.toUpper() : value.toLower());
    const qsizetype first = value.at(0).isHighSurrogate() && value.at(1).isLowSurrogate() ? 2 : 1;
    return std::make_unique<CDDString>(value.left(first).toUpper() + value.mid(first).toLower());
}

std::unique_ptr<CDDString> CDDString::createStringWithUppercase(const CDDString &text)
{
    return std::make_unique<CDDString>(text.getData().toUpper());
}

CDDString CDDString::createDefTextLabel()
{
    return CDDString(PWLocalizedString(QStringLiteral("TextLabel")));
}

namespace {

// The country table, read once: every lower-cased name with the first code, in sorted order,
// that lists it.
struct CountryNames
{
    QHash<QString, QString> codeByName;
    QHash<QString, QString> nameByCode;
};

const CountryNames *countryNames()
{
    static QMutex mutex;
    static std::optional<CountryNames> table;
    QMutexLocker lock(&mutex);
    if (table)
        return &*table;

    const QByteArray bytes = PWBundle::mainBundle().resourceData(QStringLiteral("Countries"),
                                                                 QStringLiteral("xml"));
    QString error;
    const std::optional<PWPlist> countries = bytes.isEmpty() ? std::nullopt
                                                             : PWPlist::parse(bytes, &error);
    if (!countries || !countries->isDictionary()) {
        // Not kept: a later call tries again.
        PWLog::message(lcValues(), QStringLiteral("Countries resource not readable: %1")
                                       .arg(error.isEmpty() ? QStringLiteral("missing or not a dictionary") : error));
        return nullptr;
    }
    // Codes in sorted order, so that a name listed under two codes always finds the same one.
    const PWPlist::Dictionary &dictionary = countries->toDictionary();
    QStringList codes = dictionary.keys();
    codes.sort();
    CountryNames names;
    for (const QString &code : codes) {
        for (const PWPlist &name : dictionary.value(code).toArray()) {
            if (!name.isString() || name.toString().isEmpty())
                continue;
            if (!names.nameByCode.contains(code))
                names.nameByCode.insert(code, name.toString());
            const QString lowered = name.toString().toLower();
            if (!names.codeByName.contains(lowered))
                names.codeByName.insert(lowered, code);
        }
    }
    table = std::move(names);
    return &*table;
}

} // namespace

QString CDDCountryNameFromCode(const QString &code)
{
    const QString trimmed = code.trimmed();
    if (trimmed.size() != 2)
        return QString();
    const CountryNames *table = countryNames();
    if (!table)
        return QString();
    const QString lowered = trimmed.toLower();
    if (const auto found = table->nameByCode.constFind(lowered); found != table->nameByCode.cend())
        return *found;
    // The table keys the United Kingdom by "uk"; exports and address books write its ISO code.
    if (lowered == QLatin1String("gb"))
        return table->nameByCode.value(QStringLiteral("uk"));
    return QString();
}

CDDString CDDString::getCountryCodeFromString(const CDDString &text)
{
    if (text.isNull())
        return CDDString();
    const CountryNames *table = countryNames();
    if (!table)
        return CDDString();

    // The whole text is tried before single words: otherwise a one-word name ("Sudan",
    // "Ireland") would take a text naming another country in full ("South Sudan", "Northern
    // Ireland") whenever its code sorts first.
    const QString whole = text.getData().trimmed().toLower();
    if (const auto found = table->codeByName.constFind(whole); found != table->codeByName.cend())
        return CDDString(*found);
    // Of the codes some word names, the first in sorted order.
    QString best;
    for (const QString &word : text.getData().split(QLatin1Char(' '))) {
        const auto found = table->codeByName.constFind(word.trimmed().toLower());
        if (found != table->codeByName.cend() && (best.isEmpty() || *found < best))
            best = *found;
    }
    return best.isEmpty() ? CDDString() : CDDString(best);
}

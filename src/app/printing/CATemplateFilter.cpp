#include "app/printing/CATemplateFilter.h"

#include "platform/PWBundle.h"

#include <QSet>

#include <algorithm>

namespace {

// "All" followed by the values of one field in order of first appearance.
template<typename Getter>
QStringList titlesOf(const CATemplateFilter::TemplateList &templates, Getter value)
{
    QStringList titles{PWLocalizedString(QStringLiteral("All"))};
    QSet<QString> seen;
    for (const auto &format : templates) {
        const QString title = value(*format);
        if (title.isNull() || seen.contains(title))
            continue;
        seen.insert(title);
        titles << title;
    }
    return titles;
}

// The leading integer of a word, read the way atoi reads it (blanks, one sign, digits), held
// within a range where adding one cannot overflow.
qint64 leadingInteger(const QString &word)
{
    qsizetype i = 0;
    while (i < word.size() && word.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < word.size() && (word.at(i) == QLatin1Char('-') || word.at(i) == QLatin1Char('+')))
        negative = word.at(i++) == QLatin1Char('-');
    qint64 value = 0;
    for (; i < word.size() && word.at(i) >= QLatin1Char('0') && word.at(i) <= QLatin1Char('9'); ++i)
        value = std::min<qint64>(value * 10 + (word.at(i).unicode() - '0'), qint64(1) << 52);
    return negative ? -value : value;
}

bool containsText(const QString &value, const QString &text)
{
    return !value.isNull() && value.contains(text, Qt::CaseInsensitive);
}

} // namespace

QStringList CATemplateFilter::manufacturerTitles(const TemplateList &templates)
{
    return titlesOf(templates, [](const CATemplateFormat &f) { return f.Manufacturer(); });
}

QStringList CATemplateFilter::paperSizeTitles(const TemplateList &templates)
{
    return titlesOf(templates, [](const CATemplateFormat &f) { return f.PageSize(); });
}

QStringList CATemplateFilter::typeTitles(const TemplateList &templates)
{
    return titlesOf(templates, [](const CATemplateFormat &f) { return f.Type(); });
}

QStringList CATemplateFilter::mailingCategories()
{
    return {PWLocalizedString(QStringLiteral("Mailing Labels")), PWLocalizedString(QStringLiteral("Shipping Labels")),
            PWLocalizedString(QStringLiteral("Return Address Labels"))};
}

QStringList CATemplateFilter::categoryTitles(const TemplateList &templates)
{
    QStringList titles{PWLocalizedString(QStringLiteral("Mailing Labels (All)"))};
    titles << mailingCategories();
    QSet<QString> seen(titles.cbegin(), titles.cend());
    QStringList found;
    for (const auto &format : templates) {
        const QString category = format->Category();
        if (category.isNull() || seen.contains(category))
            continue;
        seen.insert(category);
        found << category;
    }
    titles << QString() << found << QString() << PWLocalizedString(QStringLiteral("All"));
    return titles;
}

void CATemplateFilter::setCategory(CategoryMode mode, const QString &title)
{
    m_categoryMode = mode;
    m_category = title;
    if (mode == CategoryMode::MailingAll && m_mailingCategories.isEmpty())
        m_mailingCategories = mailingCategories();
}

bool CATemplateFilter::accepts(const CATemplateFormat &format) const
{
    if (!m_manufacturer.isEmpty() && format.Manufacturer() != m_manufacturer)
        return false;
    switch (m_categoryMode) {
    case CategoryMode::All:
        break;
    case CategoryMode::MailingAll:
        if (!m_mailingCategories.contains(format.Category()))
            return false;
        break;
    case CategoryMode::Title:
        if (format.Category() != m_category)
            return false;
        break;
    }
    if (!m_paperSize.isEmpty() && format.PageSize() != m_paperSize)
        return false;
    if (!m_type.isEmpty() && format.Type() != m_type)
        return false;
    if (!format.isPredef())
        return false;
    if (m_text.isEmpty())
        return true;
    return containsText(format.ID(), m_text) || containsText(format.Manufacturer(), m_text)
           || containsText(format.Description(), m_text) || containsText(format.sizeString(), m_text);
}

CATemplateFilter::TemplateList CATemplateFilter::filtered(const TemplateList &templates) const
{
    TemplateList result;
    result.reserve(templates.size());
    for (const auto &format : templates)
        if (accepts(*format))
            result << format;
    return result;
}

bool CATemplateFilter::idMatchesSearch(const QString &ID, const QString &text)
{
    if (text.isEmpty())
        return false;
    const bool typedZero = text.startsWith(QLatin1Char('0'));
    const bool idZero = ID.startsWith(QLatin1Char('0'));
    if (typedZero || !idZero)
        return ID.startsWith(text, Qt::CaseInsensitive);
    return QStringView(ID).mid(1).startsWith(text, Qt::CaseInsensitive);
}

CATemplateFilter::TemplatePtr CATemplateFilter::searchID(const TemplateList &listed, const QString &text)
{
    if (text.isEmpty())
        return nullptr;
    for (const auto &format : listed)
        if (idMatchesSearch(format->ID(), text))
            return format;
    return nullptr;
}

QString CATemplateFilter::generateName(const QString &name, const TemplateList &customTemplates)
{
    const auto taken = [&customTemplates](const QString &candidate) {
        for (const auto &format : customTemplates)
            if (format->ID() == candidate)
                return true;
        return false;
    };
    QString result = name;
    while (taken(result)) {
        QStringList words = result.split(QLatin1Char(' '));
        const qint64 value = leadingInteger(words.last());
        if (value != 0)
            words.removeLast();
        words << QString::number(value + 1);
        result = words.join(QLatin1Char(' '));
    }
    return result;
}

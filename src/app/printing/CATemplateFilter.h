#pragma once

#include "kernel/printing/CATemplateFormat.h"

#include <QString>
#include <QStringList>

#include <memory>

// What narrows the chooser's list of predefined templates: the choices of the manufacturer,
// category, paper-size and type pop-ups and the search text. A plain value, so that the rules
// are tested without a window. Titles are compared as the pop-ups show them (localized).
class CATemplateFilter
{
public:
    using TemplateList = CATemplateFormat::TemplateList;
    using TemplatePtr = std::shared_ptr<CATemplateFormat>;

    // How the category pop-up narrows the list: every category, the three mailing categories
    // together, or the one titled.
    enum class CategoryMode { All, MailingAll, Title };

    // --- the pop-ups' items ----------------------------------------------------------------------

    // "All", then each template's value in the order it first appears in the list.
    static QStringList manufacturerTitles(const TemplateList &templates);
    static QStringList paperSizeTitles(const TemplateList &templates);
    static QStringList typeTitles(const TemplateList &templates);
    // The four fixed categories, a separator (a null string), the templates' own categories in
    // order of first appearance (none of the fixed ones again), a separator and "All".
    static QStringList categoryTitles(const TemplateList &templates);
    // The three categories "Mailing Labels (All)" stands for, localized.
    static QStringList mailingCategories();

    // --- the filter ------------------------------------------------------------------------------

    // An empty title lets every template pass (the pop-up is missing or shows "All").
    void setManufacturer(const QString &title) { m_manufacturer = title; }
    void setPaperSize(const QString &title) { m_paperSize = title; }
    void setType(const QString &title) { m_type = title; }
    void setCategory(CategoryMode mode, const QString &title = QString());
    // Matched anywhere, ignoring case, in the ID, manufacturer, description or size text.
    void setText(const QString &text) { m_text = text; }
    const QString &text() const { return m_text; }

    bool accepts(const CATemplateFormat &format) const;
    // The predefined templates of the list that pass, in list order.
    TemplateList filtered(const TemplateList &templates) const;

    // --- searching and naming --------------------------------------------------------------------

    // Whether typing text finds the ID: the ID starts with it, ignoring case; an ID with a leading
    // zero is also found by the text typed without it ("5960" finds "05960", "960" does not).
    static bool idMatchesSearch(const QString &ID, const QString &text);
    // The first listed template whose ID the text finds; null for an empty text or none.
    static TemplatePtr searchID(const TemplateList &listed, const QString &text);
    // A name no template of the list has as its ID: a taken name gets a number after it, or its
    // last number raised ("05960 Copy" → "05960 Copy 1", "Label 5" → "Label 6", "5960" → "5961").
    static QString generateName(const QString &name, const TemplateList &customTemplates);

private:
    QString m_manufacturer;
    QString m_paperSize;
    QString m_type;
    CategoryMode m_categoryMode = CategoryMode::All;
    QString m_category;
    QStringList m_mailingCategories;
    QString m_text;
};

#pragma once

#include "kernel/printing/CATemplateFormat.h"

#include <QList>
#include <QMap>
#include <QString>

#include <optional>

// What the two template editors share, without widgets: the working copy of the template, the
// texts of the editor's fields by their tags, the display unit, and the rule that a value is
// written only when its field holds an acceptable value. A field whose text the user did not
// change keeps the exact value it was shown from, so that showing and saving never round.
class CTemplateEditorModel
{
public:
    enum Tag {
        NameTag = 4,
        DescriptionTag = 5,
        WidthTag = 6,
        HeightTag = 7,
    };

    // Points per display unit: millimetres (unit 0) or inches.
    static double factorForUnits(cardUnits units);
    // A length in the display unit as a field shows it: up to three decimals for millimetres,
    // four for inches, without trailing zeros.
    static QString formatLength(double displayValue, cardUnits units);
    // A typed number in the C locale; nothing when the text is not one.
    static std::optional<double> parseNumber(const QString &text);

    virtual ~CTemplateEditorModel() = default;

    // Starts a new edit on a copy of the template (the caller's object is never changed); isNew
    // is handed back with the result.
    void setFormat(const CATemplateFormat &format, bool isNew);
    const CATemplateFormat &format() const { return m_format; }
    bool contextInfo() const { return m_contextInfo; }

    cardUnits units() const { return m_format.Units(); }
    double factor() const { return factorForUnits(units()); }
    // The longest length a field takes, in the display unit: a design keeps no card, margin or
    // gap longer (CDDRanges::kLength), and would leave a longer one out when opened again.
    double longestLength() const;

    // The tags of the editor's fields, in the order they are committed.
    virtual QList<int> tags() const = 0;
    QString text(int tag) const { return m_fields.value(tag).text; }
    bool isEnabled(int tag) const { return m_fields.value(tag).enabled; }
    // The range a field accepts, in the display unit; nothing for text fields.
    virtual std::optional<std::pair<double, double>> range(int tag) const;
    // The ends of a field's range as the field writes numbers, for telling the user: each rounded
    // inward to the unit's decimals, so that both numbers named are taken when typed.
    std::optional<std::pair<QString, QString>> shownRange(int tag) const;
    // Whether the field's text would be accepted.
    bool isAcceptable(int tag) const;
    bool isAcceptableText(int tag, const QString &text) const;

    // The user typed into a field; nothing is written until it is committed.
    void setText(int tag, const QString &text);
    // Writes a field's value into the working copy with the effects of its tag; false, and
    // nothing written, when its text is not acceptable.
    bool commit(int tag);
    // Commits every field the user changed; false at the first one not acceptable (see
    // refusedTag), with the fields before it committed.
    bool commitAll();
    // The field that refused its text last, or -1.
    int refusedTag() const { return m_refusedTag; }

    // Shows every length in the other unit (0 millimetres, 1 inches); the lengths stay as they
    // are. Refused when a changed field does not commit.
    bool changeUnits(int item);
    void setHorizontal(bool horizontal) { m_format.setHorizontal(horizontal); }
    // Commits every field or refuses; then writes every value into the working copy and stamps
    // it as the user's own ("Custom").
    bool save();

protected:
    struct Field
    {
        QString text;
        // The value, in points, the text was made from; empty once the user typed.
        std::optional<double> shownPoints;
        bool enabled = true;
    };

    // A new edit starts: state of the previous one is dropped before the fields are loaded.
    virtual void beginEdit() {}
    // Loads every field from the working copy.
    virtual void updateControls() = 0;
    // The effect of committing an acceptable field.
    virtual void apply(int tag) = 0;
    // Writes every field into the working copy after all of them committed.
    virtual void writeAll() = 0;

    void showText(int tag, const QString &text);
    void showLength(int tag, double points);
    void setEnabled(int tag, bool enabled) { m_fields[tag].enabled = enabled; }
    // The field's value in points (exact when the user did not change it); 0 when unreadable.
    double lengthValue(int tag) const;
    // The field's value in the display unit.
    double displayValue(int tag) const;

    CATemplateFormat m_format;
    bool m_contextInfo = false;
    QMap<int, Field> m_fields;
    QMap<int, bool> m_dirty;
    int m_refusedTag = -1;
};

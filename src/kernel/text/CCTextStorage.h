#pragma once

#include <QString>
#include <QTextCharFormat>
#include <QVariant>

#include <functional>
#include <vector>

class QPaintDevice;
class QTextDocument;

// Attribute runs of a flowing text's storage, in the terms the block commands use: character
// indexes of the plain string (paragraph ends count one), the custom attributes of the text
// engine ("FTTextTag", "FTTextList", ...) by name.
namespace CCTextStorage {

struct Range
{
    int location = 0;
    int length = 0;
    int end() const { return location + length; }
    bool operator==(const Range &) const = default;
};

int length(const QTextDocument *storage);
QVariant custom(const QTextCharFormat &format, const QString &name);
void setCustom(QTextCharFormat &format, const QString &name, const QVariant &value);
void removeCustom(QTextCharFormat &format, const QString &name);
// The data field a format belongs to, 0 for none.
int textTag(const QTextCharFormat &format);

// The format of the character at index (the last character's for an index at the end).
QTextCharFormat formatAt(const QTextDocument *storage, int index);
// The longest range around index over which the value of the custom attribute stays the same.
Range customRun(const QTextDocument *storage, int index, const QString &name);
// The longest range from index on over which the whole character format stays the same.
Range formatRun(const QTextDocument *storage, int index);
// Changes the format of every character of the range, run by run.
void modify(QTextDocument *storage, Range range, const std::function<void(QTextCharFormat &)> &change);
// A device of 72 dots per inch: flowing text is laid out in points, whatever the screen.
QPaintDevice *pointDevice();
// The paragraphs of the text (line ends included); one empty range for an empty text.
std::vector<Range> paragraphs(const QTextDocument *storage);

} // namespace CCTextStorage

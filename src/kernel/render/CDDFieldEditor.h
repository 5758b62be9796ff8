#pragma once

#include <QTextCharFormat>

// What a text being edited in place asks of the field editor laid over it. The editor belongs to
// the window that shows the text; the text only holds on to it while it is edited.
class CDDFieldEditor
{
public:
    virtual ~CDDFieldEditor() = default;
    virtual bool hasSelectedText() const = 0;
    virtual void selectAllText() = 0;
    // Whether an input method is composing text in the editor (marked text).
    virtual bool hasMarkedText() const = 0;
    // The style the next typed character takes.
    virtual QTextCharFormat typingFormat() const = 0;
};

#pragma once

#include <functional>

// The editing state a text's layout keeps beside Qt's own: the data field (a run tagged with
// "FTTextTag") the user has selected as a whole, 0 for none. It draws nothing itself; the editor
// that shows the text hears of changes through the two hooks.
class CCLayoutManager
{
public:
    // Collapses the editor's selection to its start (a field was highlighted from none).
    std::function<void()> collapseSelection;
    // Redraws every view of the text (a highlight changed or ended).
    std::function<void()> needsDisplay;

    int getHighlightedDataField() const { return m_highlightedTextTag; }
    void setHighlightedDataField(int field);

private:
    int m_highlightedTextTag = 0;
};

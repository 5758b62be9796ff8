#include "kernel/render/CCLayoutManager.h"

void CCLayoutManager::setHighlightedDataField(int field)
{
    if (field == m_highlightedTextTag)
        return;
    if (m_highlightedTextTag == 0) {
        if (collapseSelection)
            collapseSelection();
    } else if (needsDisplay) {
        needsDisplay();
    }
    m_highlightedTextTag = field;
}

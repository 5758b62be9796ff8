#include "kernel/merge/CAPrintTarget.h"

#include <QPdfWriter>

CAPrintTarget::~CAPrintTarget() = default;

std::vector<int> CAPrintTarget::pageOrder(int pages) const
{
    std::vector<int> order;
    for (int page = 1; page <= pages; ++page)
        order.push_back(page);
    return order;
}

std::vector<int> CAPrintTarget::pagesWritten(int pages, bool *everyPageOnce) const
{
    std::vector<int> order = pageOrder(pages);
    std::erase_if(order, [pages](int page) { return page < 1 || page > pages; });
    bool once = int(order.size()) == pages;
    for (int i = 0; once && i < pages; ++i)
        once = order[std::size_t(i)] == i + 1;
    if (everyPageOnce)
        *everyPageOnce = once;
    return order;
}

QPagedPaintDevice &CAPdfPrintTarget::device()
{
    return m_writer;
}

void CAPdfPrintTarget::setResolution(int dotsPerInch)
{
    m_writer.setResolution(dotsPerInch);
}

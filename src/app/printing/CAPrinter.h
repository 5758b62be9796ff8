#pragma once

#include <QPageSize>
#include <QPrinter>
#include <QSizeF>

// A printer that asks for paper the way a print queue knows it: A4 and Letter by their standard
// ids, so that the queue feeds its own A4 or Letter tray rather than a custom size a hair off it,
// and every other size as a custom page size.
class CAPrinter : public QPrinter
{
public:
    using QPrinter::QPrinter;

    // The page size of paper of that size in points, either way round; landscape tells whether it
    // lies across the standard size.
    static QPageSize pageSizeForPaper(const QSizeF &points, bool *landscape = nullptr);

    bool setPageLayout(const QPageLayout &layout) override;
    bool setPageSize(const QPageSize &size) override;
};

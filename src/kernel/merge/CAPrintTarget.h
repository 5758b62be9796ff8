#pragma once

#include <QString>

#include <vector>

class QPagedPaintDevice;
class QPdfWriter;

// Where a print job's pages go: a paged device and what the job asks of the printer behind it.
// The kernel prints into PDF files; the application hands in its printers through the same door,
// so the merge itself never needs the print-support library.
class CAPrintTarget
{
public:
    virtual ~CAPrintTarget();

    virtual QPagedPaintDevice &device() = 0;
    // Sets the device's resolution in dots per inch, before the first page is painted.
    virtual void setResolution(int dotsPerInch) = 0;
    // The printer that prints, for its calibration; empty for a file.
    virtual QString printerName() const { return QString(); }
    // Told after each page is painted; false stops the job there (the user cancelled).
    virtual bool pagePrinted(int page, int pages)
    {
        Q_UNUSED(page);
        Q_UNUSED(pages);
        return true;
    }
    // The job stops before its end: a printer drops what it was sent.
    virtual void abort() {}
    // The pages (1-based) a job of pages pages writes, in the order they are written: each once,
    // by default. A target that makes the copies and page range of a print dialog itself (a
    // file, which no printer repeats) leaves pages out or writes them again.
    virtual std::vector<int> pageOrder(int pages) const;
    // The order, without pages the job does not have; everyPageOnce says whether it is each
    // page once from the first.
    std::vector<int> pagesWritten(int pages, bool *everyPageOnce) const;
};

// A PDF file as a print target.
class CAPdfPrintTarget : public CAPrintTarget
{
public:
    explicit CAPdfPrintTarget(QPdfWriter &writer)
        : m_writer(writer)
    {
    }

    QPagedPaintDevice &device() override;
    void setResolution(int dotsPerInch) override;

private:
    QPdfWriter &m_writer;
};

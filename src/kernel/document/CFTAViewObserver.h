#pragma once

struct CFTAOperationReport;

// Told by the editing view when an operation that changed the design ends, so that the canvas
// registers the undo step of exactly what changed instead of comparing the design before and
// after every event.
class CFTAViewObserver
{
public:
    virtual ~CFTAViewObserver() = default;
    virtual void viewOperationEnded(const CFTAOperationReport &report) = 0;

protected:
    CFTAViewObserver() = default;
    CFTAViewObserver(const CFTAViewObserver &) = default;
    CFTAViewObserver &operator=(const CFTAViewObserver &) = default;
};

#pragma once

// A real design edited through a view, with the gestures the view's tests script.
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/component/CFTDocumentController.h"

#include <QRectF>

#include <memory>
#include <vector>

namespace viewtest {

// A design of the default size (too small for page snap lines) edited through a view.
struct Design
{
    Design() { controller.AddDocument(std::unique_ptr<CFTACoreDoc>(document)); }
    CFTBoxField *shape(double x, double y, double width, double height)
    {
        auto *made = new CFTBoxField(x, y, width, height, nullptr);
        made->SetFilled(true);
        view.InsertComponent(made, false);
        return made;
    }
    const std::vector<CFTComponent *> &list() const { return document->GetComponents(0, false); }
    int drag(double fromX, double fromY, double toX, double toY, modifierKeys modifiers = {}, int steps = 1)
    {
        int result = view.MouseLDown(fromX, fromY, modifiers);
        for (int i = 1; i <= steps; ++i)
            result |= view.MouseMove(fromX + (toX - fromX) * i / steps, fromY + (toY - fromY) * i / steps, modifiers);
        return result | view.MouseUp(toX, toY, modifiers);
    }
    int click(double x, double y, modifierKeys modifiers = {})
    {
        const mouseResults pressed = view.MouseLDown(x, y, modifiers);
        return pressed | view.MouseUp(x, y, modifiers);
    }

    CFTDocumentController controller;
    CFTADocument *document = new CFTADocument();
    CFTAView view {&controller};
};

inline QRectF frame(const CFTComponent *component)
{
    return {component->GetOriginX(), component->GetOriginY(), component->GetSizeX(), component->GetSizeY()};
}

} // namespace viewtest

#include "kernel/foundation/CFTACoreView.h"

void CFTACoreView::getSelObjectsRect(double *x, double *y, double *width, double *height) const
{
    if (x)
        *x = mdSelX;
    if (y)
        *y = mdSelY;
    if (width)
        *width = mdSelWidth;
    if (height)
        *height = mdSelHeight;
}

void CFTACoreView::setSelObjectsRect(double x, double y, double width, double height)
{
    mdSelX = x;
    mdSelY = y;
    mdSelWidth = width;
    mdSelHeight = height;
}

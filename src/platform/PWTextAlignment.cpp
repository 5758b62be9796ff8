#include "platform/PWTextAlignment.h"

Qt::Alignment toQtAlignment(PWTextAlignment alignment)
{
    switch (alignment) {
    case PWTextAlignment::Left:
        return Qt::AlignLeft | Qt::AlignAbsolute;
    case PWTextAlignment::Right:
        return Qt::AlignRight | Qt::AlignAbsolute;
    case PWTextAlignment::Center:
        return Qt::AlignHCenter;
    case PWTextAlignment::Justified:
        return Qt::AlignJustify;
    case PWTextAlignment::Natural:
        break;
    }
    return Qt::AlignLeading;
}

PWTextAlignment fromQtAlignment(Qt::Alignment alignment)
{
    const Qt::Alignment horizontal = alignment & Qt::AlignHorizontal_Mask;
    if (horizontal & Qt::AlignJustify)
        return PWTextAlignment::Justified;
    if (horizontal & Qt::AlignHCenter)
        return PWTextAlignment::Center;
    // Qt's plain left is the leading edge (natural); only an absolute left is left. A trailing
    // edge has no counterpart and is taken as right, which it is in left-to-right text.
    if (horizontal & Qt::AlignRight)
        return PWTextAlignment::Right;
    if ((horizontal & Qt::AlignLeft) && (horizontal & Qt::AlignAbsolute))
        return PWTextAlignment::Left;
    return PWTextAlignment::Natural;
}

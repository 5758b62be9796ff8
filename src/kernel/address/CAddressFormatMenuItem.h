#pragma once

#include "platform/PWPlist.h"

#include <QList>
#include <QString>

// One item of a menu the address-format catalogue fills, as data: the application layer turns
// it into a real menu item whose action goes to the active canvas (or, for "Edit", to the
// application). Template items have tag 0, custom formats tag 100.
struct CAddressFormatMenuItem
{
    enum class Kind { Separator, Template, CustomFormat, Edit, Country, Submenu };

    Kind kind = Kind::Separator;
    QString title;
    // The template name, {"index", "title"} of a custom format, or the country code.
    PWPlist representedObject;
    int tag = 0;
    // "changeTemplateWithMenu", "customAddressFormatEditor" or "changeCountryWithMenu".
    QString action;
    QList<CAddressFormatMenuItem> submenu;

    bool operator==(const CAddressFormatMenuItem &other) const = default;
};

using CAddressFormatMenu = QList<CAddressFormatMenuItem>;

#include "kernel/address/CAddressFormatController.h"

#include "platform/PWBundle.h"

#include <QStringList>

#include <algorithm>

namespace {

CAddressFormatMenuItem separator()
{
    return CAddressFormatMenuItem();
}

} // namespace

void CAddressFormatController::fillTemplateMenu(CAddressFormatMenu &menu) const
{
    menu.clear();
    for (const PWPlist &element : m_templateList) {
        if (!element.isDictionary()) {
            menu.append(separator());
            continue;
        }
        const PWPlist name = element.value(QStringLiteral("Name"));
        if (!name.isString())
            continue;
        CAddressFormatMenuItem item;
        item.kind = CAddressFormatMenuItem::Kind::Template;
        item.title = name.toString();
        item.representedObject = name;
        item.action = QStringLiteral("changeTemplateWithMenu");
        menu.append(item);
    }
    if (!m_customTemplates.isEmpty()) {
        menu.append(separator());
        for (qsizetype i = 0; i < m_customTemplates.size(); ++i) {
            const QString title = m_customTemplates.at(i).value(QStringLiteral("FormatName")).toString();
            CAddressFormatMenuItem item;
            item.kind = CAddressFormatMenuItem::Kind::CustomFormat;
            item.title = title;
            item.representedObject = PWPlist(PWPlist::Dictionary{{QStringLiteral("index"), PWPlist::fromInteger(i)},
                                                                 {QStringLiteral("title"), PWPlist::fromString(title)}});
            item.tag = kCustomFormatTag;
            item.action = QStringLiteral("changeTemplateWithMenu");
            menu.append(item);
        }
    }
    menu.append(separator());
    CAddressFormatMenuItem edit;
    edit.kind = CAddressFormatMenuItem::Kind::Edit;
    edit.title = m_bundle.localizedString(QStringLiteral("Edit"), QString());
    edit.action = QStringLiteral("customAddressFormatEditor");
    menu.append(edit);
}

void CAddressFormatController::fillCountryMenu(CAddressFormatMenu &menu) const
{
    menu.clear();
    QHash<QString, QString> names;
    names.reserve(30);
    getCountryList(names);
    QStringList codes = names.keys();
    // Codes first in their own order, so that equal names always come out the same way.
    std::sort(codes.begin(), codes.end());
    std::stable_sort(codes.begin(), codes.end(), [&names](const QString &a, const QString &b) {
        return compareCountryNames(a, b, names) < 0;
    });
    for (const QString &code : std::as_const(codes)) {
        CAddressFormatMenuItem item;
        item.kind = CAddressFormatMenuItem::Kind::Country;
        item.title = names.value(code);
        item.representedObject = PWPlist::fromString(code);
        item.action = QStringLiteral("changeCountryWithMenu");
        menu.append(item);
    }
}

void CAddressFormatController::updateAddressFormatMenu() const
{
    for (CAddressFormatMenuItem &item : sharedContextAddressFormatMenu()) {
        if (item.tag == kTemplateMenuTag) {
            fillTemplateMenu(item.submenu);
            return;
        }
    }
}

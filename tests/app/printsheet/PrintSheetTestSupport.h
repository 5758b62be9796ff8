#pragma once

// Designs, persons and a shown print sheet, as the print sheet's tests make them.
#include "app/printsheet/CAPrintJob.h"
#include "app/printsheet/CAPrintViewController.h"

#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/printing/CAEnvironmentLayout.h"
#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWPerson.h"
#include "platform/PWVCardReader.h"

#include <QSize>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace printsheettest {

// "Sam PersonN" of Springfield; withFirm adds the organisation "FirmN".
inline std::shared_ptr<PWPerson> person(int i, bool withFirm = false)
{
    const QByteArray firm = withFirm ? "\r\nORG:Firm" + QByteArray::number(i) : QByteArray();
    const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Person" + QByteArray::number(i) + ";Sam;;;" + firm
                            + "\r\nADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701;USA\r\nEND:VCARD\r\n";
    return PWVCardReader::personFromData(card);
}

// A design of the kind on its default layout.
inline std::shared_ptr<CADocument> design(int type)
{
    CAEnvironment::setDefaultCountry(QStringLiteral("us"));
    const std::shared_ptr<CATemplateFormat> layout = defaultLayout(type);
    auto document = std::make_shared<CADocument>(std::make_unique<CFTADocument>(
        documentType(type), CDDString(QStringLiteral("us")), CDDString(QStringLiteral("us"))));
    if (layout)
        document->setLayoutArangeComponents(*layout, false);
    return document;
}

// The design with a recipient's address panel at its top left, as a design printed for persons has.
inline std::shared_ptr<CADocument> withRecipient(std::shared_ptr<CADocument> document)
{
    const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
        QStringLiteral("Name+Company"), QStringLiteral("us"), false, 0);
    auto *panel = new CFTAAddressPanel(true, format.get(), nullptr, false);
    panel->SetOrigin(8.0, 6.0);
    document->ftDocument()->AddObject(panel, 0, false);
    return document;
}

// persons persons (none: the design's own address), from a print list or from the design's own list.
inline CAPrintJob::PersonChoice personChoice(int persons, bool fromList, bool withFirm)
{
    CAPrintJob::PersonChoice choice;
    if (persons > 0) {
        choice.persons = CAPrintingView::PersonList();
        for (int i = 0; i < persons; ++i)
            choice.persons->push_back(person(i, withFirm));
        choice.fromPrintList = fromList;
    }
    return choice;
}

// The print sheet of the design, shown at the size when one is given, on a printer list of one.
inline std::unique_ptr<CAPrintViewController> shownSheet(const std::shared_ptr<CADocument> &document,
                                                         const CAPrintJob::PersonChoice &choice, QSize size = QSize())
{
    const auto kind = CAPrintJob::sheetKindForDocument(*document);
    EXPECT_TRUE(kind);
    if (!kind)
        return nullptr;
    auto sheet = std::make_unique<CAPrintViewController>(document, *kind, choice, QStringList{QStringLiteral("Office")});
    if (size.isValid())
        sheet->resize(size);
    sheet->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(sheet.get()));
    return sheet;
}

} // namespace printsheettest

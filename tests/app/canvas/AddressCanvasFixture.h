#pragma once

// A design with a recipient panel, a sender panel and a free address text, filled from two
// persons, on a canvas; the undo manager groups only what a test groups.

#include "app/canvas/CACanvasAddressCommands.h"
#include "app/canvas/CACanvasAddressEdits.h"
#include "app/canvas/CADocView.h"
#include "kernel/address/CAddressFormat.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/address/CFTAAddressPanel.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWPerson.h"
#include "platform/PWUndoManager.h"
#include "platform/PWVCardReader.h"

#include <QString>

#include <memory>
#include <string>

inline // The first line where two saved designs part, for a failure message that says something.
std::string firstDifference(const QByteArray &a, const QByteArray &b)
{
    const QList<QByteArray> left = a.split('\n');
    const QList<QByteArray> right = b.split('\n');
    for (qsizetype i = 0; i < std::min(left.size(), right.size()); ++i) {
        if (left.at(i) != right.at(i))
            return "line " + std::to_string(i) + ": " + left.at(i).trimmed().toStdString() + " | "
                + right.at(i).trimmed().toStdString();
    }
    return left.size() == right.size() ? std::string("none") : std::string("one is longer");
}

#define EXPECT_SAME_BYTES(a, b) EXPECT_TRUE((a) == (b)) << firstDifference((a), (b))

struct AddressCanvas
{
    static std::shared_ptr<PWPerson> person(const char *card)
    {
        return PWVCardReader::personFromData(QByteArray(card));
    }

    AddressCanvas()
    {
        document.setCountryCode(true, QStringLiteral("us"));
        document.setCountryCode(false, QStringLiteral("us"));
        EXPECT_TRUE(view.setDocument(&document));
        recipient = addPanel(true, QPointF(20, 20));
        sender = addPanel(false, QPointF(20, 120));
        const CDDString label(QStringLiteral("Text"));
        auto text = std::make_unique<CFTAAddressText>(20.0, 200.0, tcSimpleText, &label, nullptr);
        text->SetString(CDDString(QStringLiteral("A free text")));
        freeText = text.get();
        view.ftView()->InsertComponent(text.release(), false);
        document.setCurrentPerson(janeDoe.get(), true, true, false);
        document.setCurrentPerson(janeDoe.get(), false, true, false);
        undo()->setGroupsByEvent(false);
        undo()->removeAllActions();
    }

    CFTAAddressPanel *addPanel(bool toFrom, const QPointF &at)
    {
        const std::unique_ptr<CAddressFormat> format =
            CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
                QStringLiteral("Name+Company"), QStringLiteral("us"), false, 1);
        std::unique_ptr<CFTComponent> made = view.ftView()->CreateAddressPanel(toFrom, format.get());
        auto *panel = dynamic_cast<CFTAAddressPanel *>(made.get());
        made->SetOrigin(at.x(), at.y());
        view.ftView()->InsertComponent(made.release(), false);
        return panel;
    }

    CACanvasAddressEdits &edits() { return view.addressEdits(); }
    CACanvasAddressCommands &commands() { return view.addressCommands(); }
    PWUndoManager *undo() { return document.undoManager(); }
    QByteArray bytes() const { return document.dataRepresentationOfType(CADocument::kAddressDocumentType); }
    // One user step, as a command opens it.
    template <typename Body>
    void step(Body body)
    {
        undo()->beginUndoGrouping();
        body();
        undo()->endUndoGrouping();
    }
    void select(CFTComponent *component)
    {
        view.ftView()->deselectAll();
        view.ftView()->select(component);
    }

    std::shared_ptr<PWPerson> janeDoe =
        person("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\nORG:Acme Widgets;\r\n"
               "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701;USA\r\n"
               "ADR;TYPE=HOME:;;9 Elm Rd;Shelbyville;IL;62565;USA\r\nEND:VCARD\r\n");
    std::shared_ptr<PWPerson> otherPerson =
        person("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Mustermann;Max;;;\r\nFN:Max Mustermann\r\nORG:Beispiel GmbH;\r\n"
               "ADR;TYPE=WORK:;;Hauptstr. 1;Berlin;;10115;Germany\r\nEND:VCARD\r\n");
    CADocument document;
    CADocView view;
    CFTAAddressPanel *recipient = nullptr;
    CFTAAddressPanel *sender = nullptr;
    CFTAAddressText *freeText = nullptr;
};

#pragma once

// A label design with one object of every kind the edits reach, shown on a canvas, and the saved
// bytes of the design, to tell exactly whether an edit and its undo changed anything saved.
#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/address/CFTFileField.h"
#include "kernel/base/CDDColor.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTExtPicture.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWImage.h"
#include "platform/PWUndoManager.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

// Equal bytes, else the first line where the two saved designs part.
inline ::testing::AssertionResult sameDesign(const QByteArray &actual, const QByteArray &expected)
{
    if (actual == expected)
        return ::testing::AssertionSuccess();
    const QList<QByteArray> a = actual.split('\n');
    const QList<QByteArray> b = expected.split('\n');
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
        const QByteArray left = a.value(i);
        const QByteArray right = b.value(i);
        if (left != right)
            return ::testing::AssertionFailure() << "line " << i + 1 << ": " << left.trimmed().left(200).constData()
                                                 << " instead of " << right.trimmed().left(200).constData();
    }
    return ::testing::AssertionFailure() << "the designs differ";
}

struct CanvasEditsFixture
{
    static std::shared_ptr<PWImage> image(int width, int height, QRgb color, const QString &name = {})
    {
        QImage bitmap(width, height, QImage::Format_ARGB32);
        bitmap.fill(color);
        std::shared_ptr<PWImage> made = PWImage::fromQImage(bitmap);
        if (!name.isEmpty())
            made->setName(name);
        return made;
    }

    CanvasEditsFixture()
    {
        CFTADocument *design = document.ftDocument();
        box = new CFTBoxField(40.0, 40.0, 50.0, 30.0, nullptr);
        const CDDColor yellow(0.98f, 0.86f, 0.24f, 1.0f);
        box->SetFillColor(&yellow);
        box->SetFilled(true);
        design->AddObject(box, 0, false);
        bare = new CFTBoxField(20.0, 100.0, 30.0, 30.0, nullptr);
        bare->SetFilled(false);
        bare->SetStroked(false);
        design->AddObject(bare, 0, false);
        text = new CFTAText(120.0, 40.0, 90.0, 24.0, nullptr);
        text->GetText()->setString(QStringLiteral("Hello"), nullptr);
        design->AddObject(text, 0, false);
        picture = CFTAView::CreatePicture(CDDPicture(image(40, 20, 0xff3366cc, QStringLiteral("blue")))).release();
        picture->SetOrigin(60.0, 90.0);
        picture->SetSize(40.0, 20.0);
        design->AddObject(picture, 0, false);
        counter = new CFTCounterField(150.0, 100.0, 60.0, 20.0, nullptr);
        design->AddObject(counter, 0, false);
        fileField = new CFTFileField(150.0, 130.0, 60.0, 20.0, nullptr);
        design->AddObject(fileField, 0, false);
        street = new CFTAAddressText(20.0, 150.0, tcStreet, nullptr, nullptr);
        design->AddObject(street, 0, false);
        document.undoManager()->removeAllActions();
        view.setScreenResolution(72.0);
        view.setDocument(&document);
    }

    QByteArray saved() const { return document.dataRepresentationOfType(CADocument::kAddressDocumentType); }
    CACanvasEdits &edits() { return view.edits(); }
    PWUndoManager &undo() { return *document.undoManager(); }
    const std::vector<CFTComponent *> &list() const { return document.ftDocument()->GetComponents(0, false); }
    CFTAView &ftView() { return *view.ftView(); }
    // The design's objects as saved, without the attributes new objects take (which change
    // without undo), and the background after them.
    QByteArray objects()
    {
        const std::vector<CFTComponent *> all = list();
        QByteArray data = document.documentDataForComponents(&all);
        if (CFTExtPicture *background = document.ftDocument()->getBackground(0)) {
            const std::vector<CFTComponent *> back {background};
            data += document.documentDataForComponents(&back);
        }
        return data;
    }
    void selectOnly(std::initializer_list<CFTComponent *> components)
    {
        ftView().deselectAll();
        for (CFTComponent *component : components)
            ftView().select(component);
    }
    void selectOnly(CFTComponent *component) { selectOnly({component}); }
    int indexOf(const CFTComponent *component) const
    {
        const auto found = std::find(list().begin(), list().end(), component);
        return found == list().end() ? -1 : int(found - list().begin());
    }

    CADocument document;
    CFTBoxField *box = nullptr;
    // A shape without outline or fill.
    CFTBoxField *bare = nullptr;
    CFTAText *text = nullptr;
    CFTComponent *picture = nullptr;
    CFTCounterField *counter = nullptr;
    CFTFileField *fileField = nullptr;
    CFTAAddressText *street = nullptr;
    CADocView view;
};

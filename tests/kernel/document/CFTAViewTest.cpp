// The kernel editing view over a design: the inspector's selection type, the edited list and its
// pool, z-order, the pasteboard archive, the postal areas and a drawn page.
#include "kernel/document/CFTAView.h"

#include "ComponentTestSupport.h"
#include "ReferenceImage.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTSeparator.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/component/CFTDefComponentBox.h"
#include "kernel/component/CFTDefComponentText.h"
#include "kernel/component/CFTDocumentController.h"
#include "kernel/base/FTClassID.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct TypedProbe : comptest::ProbeComponent
{
    explicit TypedProbe(compType type)
        : type(type)
    {
    }
    compType getType() const override { return type; }
    const compType type;
};

// A view whose snap state a test can set, and a document of its own.
struct Fixture
{
    class OpenView : public CFTAView
    {
    public:
        using CFTAView::CFTAView;
        void snapAt(float x, float y0, float y1)
        {
            m_bSnapOccuredX = true;
            m_SnapRectX[0] = x, m_SnapRectX[1] = y0, m_SnapRectX[2] = y1;
        }
        void snapAcross(float y, float x0, float x1)
        {
            m_bSnapOccuredY = true;
            m_SnapRectY[0] = y, m_SnapRectY[1] = x0, m_SnapRectY[2] = x1;
        }
    };

    Fixture() { controller.AddDocument(std::unique_ptr<CFTACoreDoc>(document)); }
    CFTComponent *add(CFTComponent *component)
    {
        view.InsertComponent(component, false);
        return component;
    }
    const std::vector<CFTComponent *> &list() const { return document->GetComponents(0, false); }

    CFTDocumentController controller;
    CFTADocument *document = new CFTADocument();
    OpenView view {&controller};
};

TEST(CFTAViewTest, SelectionTypeIsTheMostFrequentFoldedTypeAndMixedOnATie)
{
    const struct
    {
        std::vector<compType> selected;
        toolMode tool;
        int expected;
    } cases[] = {
        {{ctRect, ctStar5, ctText}, toolSelect, ctRect},
        {{ctCircle, ctText}, toolSelect, 0},
        {{ctText, ctText, ctPicture, ctPicture, ctAddressPanel}, toolSelect, 0},
        {{ctSeparator}, toolSelect, ctRect},
        {{ctBarcode, ctSmartField, ctSmartField}, toolSelect, ctSmartField},
        {{}, toolSelect, ctAddressPanel},
        {{}, toolText, ctText},
    };
    for (const auto &c : cases) {
        Fixture f;
        for (compType type : c.selected)
            f.view.InsertComponent(new TypedProbe(type), true);
        f.view.setToolMode(c.tool);
        EXPECT_EQ(f.view.getTypeOfSelComponents(), c.expected) << c.selected.size();
    }
}

TEST(CFTAViewTest, RemovedObjectsGoToThePoolAndComeBackOnInsert)
{
    int destroyed = 0;
    Fixture f;
    CFTComponent *a = f.add(new comptest::ProbeComponent(0, tcNone, &destroyed));
    CFTComponent *b = f.add(new comptest::ProbeComponent(0, tcNone, &destroyed));
    f.view.select(a);
    for (const bool erase : {false, true}) {
        EXPECT_TRUE(erase ? f.view.EreaseComponent(a, true) : f.view.DeleteComponent(a, true));
        EXPECT_EQ(f.list(), std::vector<CFTComponent *> {b});
        EXPECT_TRUE(f.document->isInDeletedPool(a) && f.view.getSelComponents().empty());
        EXPECT_FALSE(f.view.DeleteComponent(a, false) || f.view.EreaseComponent(a, false));
        f.view.InsertComponent(a, true); // the undo
        EXPECT_EQ(f.list(), (std::vector<CFTComponent *> {b, a}));
        EXPECT_FALSE(f.document->isInDeletedPool(a));
        EXPECT_EQ(f.view.getSelComponents(), std::vector<CFTComponent *> {a});
    }
    EXPECT_EQ(destroyed, 0);
}

TEST(CFTAViewTest, ShapesDrawnAndTextsClickedTakeTheDocumentDefaults)
{
    Fixture f;
    const CDDColor fill(0.2f, 0.4f, 0.6f, 1.0f);
    f.view.defBox()->SetFillColor(&fill);
    f.view.defText()->SetFontSize(31);
    f.view.setToolMode(toolText);
    f.view.MouseLDown(100, 100, {}), f.view.MouseUp(100, 100, {});
    f.view.setToolMode(toolField);
    f.view.MouseLDown(10, 10, {}), f.view.MouseMove(40, 30, {}), f.view.MouseUp(40, 30, {});
    ASSERT_EQ(f.list().size(), 2u);
    ASSERT_TRUE(f.list()[0]->GetFont(nullptr) && f.list()[1]->GetFillColor());
    EXPECT_EQ(f.list()[0]->GetFont(nullptr)->pointSize(), 31);
    EXPECT_EQ(*f.list()[1]->GetFillColor(), fill);
}

TEST(CFTAViewTest, EndedEditIsNoLongerTypingAndTheNextTextToolClickMakesAText)
{
    Fixture f;
    f.view.setToolMode(toolText);
    f.view.MouseLDown(100, 100, {}), f.view.MouseUp(100, 100, {});
    ASSERT_EQ(f.list().size(), 1u);
    CFTComponent *first = f.list()[0];
    f.view.startEditText(nullptr, nullptr, static_cast<CFTComponent *>(nullptr));
    ASSERT_TRUE(first->isEditing());
    EXPECT_TRUE(f.view.isTextEditing());

    f.view.endEditText(nullptr);
    EXPECT_FALSE(first->isEditing());
    EXPECT_FALSE(f.view.isTextEditing()) << "the edit is over";
    EXPECT_EQ(f.view.getOperObject(), first) << "the edited text stays the operated object";
    EXPECT_TRUE(f.view.isSelected(first));
    EXPECT_FALSE(f.view.endEditText(nullptr)) << "nothing is left to end";

    // Editing taken up again without a click (as the next field of a panel is) is typing again.
    f.view.startEditText(nullptr, nullptr, static_cast<CFTComponent *>(nullptr));
    EXPECT_TRUE(f.view.isTextEditing());
    f.view.endEditText(nullptr);

    f.view.setToolMode(toolText);
    f.view.MouseLDown(300, 200, {}), f.view.MouseUp(300, 200, {});
    ASSERT_EQ(f.list().size(), 2u) << "a text-tool click after the edit ended makes a new text";
    EXPECT_EQ(f.view.getOperObject(), f.list()[1]);
    EXPECT_TRUE(f.view.isTextEditing());
}

TEST(CFTAViewTest, ZOrderMovesAndTheSelectionInDocumentOrder)
{
    Fixture f;
    CFTComponent *a = f.add(new comptest::ProbeComponent);
    CFTComponent *b = f.add(new comptest::ProbeComponent);
    CFTComponent *c = f.add(new comptest::ProbeComponent);
    f.view.select(c), f.view.select(a);
    EXPECT_TRUE(f.view.SendToBack(c));
    EXPECT_EQ(f.list(), (std::vector<CFTComponent *> {c, a, b}));
    EXPECT_TRUE(f.view.StepToFront(c));
    EXPECT_EQ(f.list(), (std::vector<CFTComponent *> {a, c, b}));
    EXPECT_FALSE(f.view.SendToFront(b));
    EXPECT_FALSE(f.view.StepToBack(sdFront, false, a, 1)); // no second document
    EXPECT_EQ(f.view.getSelComponentsWithDocZOrder(), (std::vector<CFTComponent *> {a, c}));
    EXPECT_EQ(f.view.getSelContainerComponents(), (std::vector<CFTComponent *> {c, a}));
}

TEST(CFTAViewTest, SelectionSurvivesThePasteboardArchive)
{
    Fixture f;
    auto *box = new CFTBoxField(12, 14, 30, 20, nullptr);
    box->setType(ctDiamond);
    f.add(new CFTBoxField(1, 1, 5, 5, nullptr));
    f.add(box);
    std::vector<CFTComponent *> selection {box};
    CDDArchive archive(true);
    ASSERT_TRUE(f.view.SerializeComponents(archive, &selection));
    archive.setStoring(false);
    Fixture target;
    ASSERT_TRUE(target.view.SerializeComponents(archive, target.document->GetComponentsPtr(0, false)));
    ASSERT_EQ(target.list().size(), 1u);
    EXPECT_EQ(target.list()[0]->getType(), ctDiamond);
    const CFTComponent *copy = target.list()[0];
    EXPECT_EQ(QRectF(copy->GetOriginX(), copy->GetOriginY(), copy->GetSizeX(), copy->GetSizeY()),
              QRectF(12, 14, 30, 20));
}

TEST(CFTAViewTest, PostalAreasFollowKindOrientationAndWidth)
{
    const struct
    {
        documentType type;
        bool horizontal;
        double width;
        std::vector<CFTAView::guidelineArea> areas;
    } cases[] = {
        {dtLabel, true, 200, {{9, 9, 182, 82, true, false, false}}},
        {dtEnvelope, false, 200, {{9, 9, 182, 82, false, true, false}}},
        {dtPostcard, true, 756, {{0, 0, 378, 33, true, true, false}, {36, 33, 684, 22, true, false, false}}},
        {dtEnvelope, true, 757, {{0, 0, 378.5, 33, true, true, false}, {19, 33, 702, 22, true, false, false}}},
    };
    for (const auto &c : cases) {
        const std::vector<CFTAView::guidelineArea> areas = CFTAView::guidelineAreas(c.type, c.horizontal, c.width, 100);
        ASSERT_EQ(areas.size(), c.areas.size());
        for (std::size_t i = 0; i < areas.size(); ++i) {
            const auto &a = areas[i];
            const auto &e = c.areas[i];
            EXPECT_EQ(QRectF(a.x, a.y, a.width, a.height), QRectF(e.x, e.y, e.width, e.height)) << c.width << i;
            EXPECT_EQ(QList<bool>({a.recipient, a.drawCaption}), QList<bool>({e.recipient, e.drawCaption}));
        }
    }
}

TEST(CFTAViewTest, DrawsAreasComponentsSnapGuideAndSelection)
{
    Fixture f;
    f.document->setDocumentType(dtLabel);
    f.document->setDocumentSizeX(160);
    f.document->setDocumentSizeY(100);
    const CDDColor fill(1.0f, 0.8f, 0.55f, 1.0f);
    const CDDColor blue(0.1f, 0.15f, 0.45f, 1.0f);
    for (const QRectF &r : {QRectF(20, 20, 70, 50), QRectF(60, 40, 70, 40)}) {
        auto *box = new CFTBoxField(r.x(), r.y(), r.width(), r.height(), nullptr);
        box->SetFillColor(&fill), box->SetStrokeColor(&blue), box->SetLineWidth(2);
        f.view.InsertComponent(box, true);
    }
    f.view.deselect(f.list()[0]);
    f.view.SetDrawGuidelines(true);
    f.view.snapAt(60, 10, 90);
    f.view.SetResolution(2);
    const QImage image = drawtest::render(QSizeF(160, 100), 2, [&](CDDDrawer &drawer) {
        f.view.drawer()->SetPainter(drawer.GetPainter());
        f.view.DrawBack();
        f.view.Draw(0, 0, 160, 100);
        f.view.DrawSelection();
        f.view.drawer()->SetPainter(nullptr);
    });
    EXPECT_TRUE(drawtest::matchesReference(image, QStringLiteral("document/view-page")));
}

// Without the postal areas, whose captions are text.
TEST(CFTAViewTest, DrawsATurnedSelectionASeparatorAndAHorizontalGuide)
{
    Fixture f;
    f.document->setDocumentSizeX(240);
    f.document->setDocumentSizeY(120);
    const CDDColor fill(0.55f, 0.75f, 1.0f, 1.0f);
    auto *turned = new CFTBoxField(120, 50, 60, 30, nullptr);
    turned->setType(ctDiamond), turned->SetFillColor(&fill), turned->SetAngle(0.5);
    auto *separator = new CFTSeparator(20, 100, 100, 0, nullptr);
    const CDDColor red(0.8f, 0.1f, 0.1f, 1.0f);
    separator->SetFillColor(&red), separator->SetLineWidth(3);
    f.view.InsertComponent(separator, false);
    f.view.InsertComponent(turned, true);
    f.view.snapAcross(50, 20, 200);
    f.view.SetResolution(2);
    const QImage image = drawtest::render(QSizeF(240, 120), 2, [&](CDDDrawer &drawer) {
        f.view.drawer()->SetPainter(drawer.GetPainter());
        f.view.DrawBack();
        f.view.Draw();
        f.view.DrawSelection();
        f.view.drawer()->SetPainter(nullptr);
    });
    EXPECT_TRUE(drawtest::matchesReference(image, QStringLiteral("document/view-turned-selection")));
}

TEST(CFTAViewTest, WrapOutlinesComeFromObjectsInFrontOfTheAskingTextOnly)
{
    Fixture f;
    const auto box = [&](double x, textWrap wrap) {
        auto *made = new CFTBoxField(x, 0, 20, 20, nullptr);
        made->SetWrapType(wrap);
        return f.add(made);
    };
    // An extended text knows its containers; the one asking is found by them, never by being
    // the asker itself.
    struct FlowingText : comptest::ProbeComponent
    {
        FlowingText() : comptest::ProbeComponent(ciExtendedText) {}
        bool hasTextContainer(const void *asked) const override { return asked == &container; }
        int container = 0;
    };
    box(0, twTextOnLeft); // behind the text
    auto *flowing = new FlowingText;
    f.add(flowing);
    const void *text = &flowing->container;
    CFTComponent *left = box(30, twTextOnLeft);
    box(60, twNoWrap);
    box(90, twTextOnRight);
    const auto ask = [&](const void *asker, textWrap wrap) {
        return f.view.GetIntersectPathForRect(QRectF(0, 5, 200, 4), 0, 0, 0, 0, 0, asker, wrap).size();
    };
    EXPECT_EQ(ask(text, textWrap(5)), 2u);
    EXPECT_EQ(ask(text, twTextOnLeft), 1u);
    EXPECT_EQ(ask(left, textWrap(5)), 0u);
    EXPECT_EQ(ask(flowing, textWrap(5)), 0u) << "the text itself is no container of its own";
    EXPECT_EQ(f.view.GetIntersectPathForRect(QRectF(0, 40, 200, 4), 0, 0, 0, 0, 0, text, textWrap(5)).size(), 0u);
    SRect rects[2];
    EXPECT_EQ(f.view.getCursorRectsByType(cursorResizeHorizontal, rects, *left), 0);
    f.view.select(left);
    EXPECT_EQ(f.view.getCursorRectsByType(cursorResizeHorizontal, rects, *left), 2);
    f.document->setDocumentSizeX(288), f.document->setDocumentSizeY(144);
    std::unique_ptr<CFTComponent> background(f.view.CreateBackground(CDDPicture()));
    EXPECT_EQ(
        QRectF(background->GetOriginX(), background->GetOriginY(), background->GetSizeX(), background->GetSizeY()),
        QRectF(0, 0, 288, 144));
}

} // namespace

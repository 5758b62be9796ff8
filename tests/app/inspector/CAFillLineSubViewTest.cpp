#include "app/canvas/CACanvasSelection.h"
#include "app/inspector/CAColorWell.h"
#include "app/inspector/CAFillLineSubView.h"
#include "app/inspector/CAPropertiesController.h"

#include "../canvas/CanvasEditsFixture.h"
#include "kernel/component/CFTDefComponentBox.h"
#include "platform/PWBundle.h"
#include "platform/PWNotificationCenter.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QLineEdit>
#include <QSlider>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <numbers>

namespace {

struct WidthCase
{
    float width;
    int mark;
};

class LineWidthMarks : public ::testing::TestWithParam<WidthCase>
{
};

TEST_P(LineWidthMarks, WidthShowsItsSliderPosition)
{
    EXPECT_EQ(CAFillLineSubView::convertLineWidthToSliderMark(GetParam().width), GetParam().mark);
}

INSTANTIATE_TEST_SUITE_P(Table, LineWidthMarks,
                         ::testing::Values(WidthCase{0.0f, 1}, WidthCase{0.3f, 1}, WidthCase{0.4f, 2},
                                           WidthCase{0.79f, 2}, WidthCase{0.8f, 3}, WidthCase{1.6f, 4},
                                           WidthCase{2.99f, 4}, WidthCase{3.0f, 5}, WidthCase{5.99f, 5},
                                           WidthCase{6.0f, 6}, WidthCase{20.0f, 6}));

TEST(FillLineRules, AnAngleShowsItsWholeDegrees)
{
    const struct
    {
        double degrees;
        int shown;
    } angles[] = {{30.0, 30}, {-15.0, -15}, {90.0, 90}, {175.0, 175}, {29.4, 29}, {-29.4, -29}, {0.4, 0},
                   {44.977, 45}, {-79.985, -80}, {29.6, 29}, {-29.6, -29}, {44.95, 44}, {0.97, 0}};
    for (const auto &angle : angles)
        EXPECT_EQ(CAFillLineSubView::wholeDegrees(angle.degrees * std::numbers::pi / 180.0), angle.shown) << angle.degrees;
    // Every whole degree typed, stored to the file's three decimals and read back, shows as typed.
    for (int typed = -180; typed <= 180; ++typed) {
        const double stored = std::round(typed * std::numbers::pi / 180.0 * 1000.0) / 1000.0;
        EXPECT_EQ(CAFillLineSubView::wholeDegrees(stored), typed);
    }
}

TEST(FillLineRules, AnOpacityShowsItsWholePercentTowardZero)
{
    const struct
    {
        float opacity;
        int shown;
    } opacities[] = {{0.756f, 75}, {0.999f, 99}, {0.005f, 0}, {0.4f, 40}, {1.0f, 100}, {0.0f, 0}};
    for (const auto &row : opacities)
        EXPECT_EQ(CAFillLineSubView::wholePercent(row.opacity), row.shown) << row.opacity;
    for (int typed = 0; typed <= 100; ++typed)
        EXPECT_EQ(CAFillLineSubView::wholePercent(float(typed) / 100.0f), typed);
}

TEST(FillLineRules, SliderPositionsStandForTheirWidths)
{
    const double widths[] = {0.25, 0.5, 1.0, 2.0, 4.0, 8.0};
    for (int mark = 1; mark <= 6; ++mark) {
        EXPECT_DOUBLE_EQ(CAFillLineSubView::lineWidthForSliderMark(mark), widths[mark - 1]) << mark;
        // Each width shows the position it came from.
        EXPECT_EQ(CAFillLineSubView::convertLineWidthToSliderMark(float(widths[mark - 1])), mark);
    }
}

struct AngleCase
{
    int entered;
    int applied;
};

class SliderSnapping : public ::testing::TestWithParam<AngleCase>
{
};

TEST_P(SliderSnapping, NearRightAnglesAndZeroSnap)
{
    EXPECT_EQ(CAFillLineSubView::snapSliderAngle(GetParam().entered), GetParam().applied);
}

INSTANTIATE_TEST_SUITE_P(Table, SliderSnapping,
                         ::testing::Values(AngleCase{88, 90}, AngleCase{-93, -90}, AngleCase{4, 0}, AngleCase{-4, 0},
                                           AngleCase{95, 95}, AngleCase{85, 85}, AngleCase{5, 5},
                                           AngleCase{-5, -5}, AngleCase{120, 120}));

class TypedAngles : public ::testing::TestWithParam<AngleCase>
{
};

TEST_P(TypedAngles, ComeIntoAHalfTurnEitherWay)
{
    EXPECT_EQ(CAFillLineSubView::normaliseAngle(GetParam().entered), GetParam().applied);
}

INSTANTIATE_TEST_SUITE_P(Table, TypedAngles,
                         ::testing::Values(AngleCase{370, 10}, AngleCase{-200, 160}, AngleCase{540, 180},
                                           AngleCase{-540, -180}, AngleCase{180, 180}, AngleCase{181, -179},
                                           AngleCase{-359, 1}, AngleCase{45, 45}));

TEST(FillLineRules, TypedLineWidthsBelowZeroOrNotNumbersAreRefused)
{
    for (const char *refused : {"-0.5", "-3", "abc", "", "nan", "inf", "2,5pt"})
        EXPECT_FALSE(CAFillLineSubView::parseLineWidth(QString::fromLatin1(refused))) << refused;
    EXPECT_EQ(CAFillLineSubView::parseLineWidth(QStringLiteral("0")), 0.0);
    EXPECT_EQ(CAFillLineSubView::parseLineWidth(QStringLiteral(" 2.5 ")), 2.5);
}

TEST(PropertiesController, SelectionTypesChooseTheirTabs)
{
    const int expected[] = {-1, 0, -1, 1, 2, 3, 3, 2, -1};
    for (int type = 0; type <= 8; ++type)
        EXPECT_EQ(CAPropertiesController::tabForSelectionType(type), expected[type]) << type;
    EXPECT_EQ(CAPropertiesController::tabForSelectionType(40), -1);
    EXPECT_EQ(CAPropertiesController::tabForSelectionType(41), -1);
}

// A design on a canvas, inspected by the shared inspector, with the fill and line pane's controls.
struct InspectedCanvas : CanvasEditsFixture
{
    InspectedCanvas()
    {
        undo().setGroupsByEvent(false);
        inspector = CAPropertiesController::sharedPropertiesController();
        inspector->showWindow();
        pane = inspector->pane(CAPropertiesController::FillTab);
    }

    void select(std::initializer_list<CFTComponent *> components)
    {
        view.ftView()->deselectAll();
        for (CFTComponent *component : components)
            view.ftView()->select(component);
        view.notifySelectionChanged();
    }

    template <typename T>
    T *child(const char *name) const
    {
        return pane->findChild<T *>(QString::fromLatin1(name));
    }

    void type(const char *field, const QString &text)
    {
        QLineEdit *edit = child<QLineEdit>(field);
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    // The defaults for new shapes keep the user's last choice through undo (they are no step of
    // their own); a test that compares saved designs puts them back by hand after checking them.
    struct Defaults
    {
        float width;
        float opacity;
        double angle;
        bool filled;
        bool stroked;
        std::optional<CDDColor> fill;
        std::optional<CDDColor> stroke;
    };
    Defaults defaults() const
    {
        CFTDefComponentBox *box = view.ftView()->defBox();
        Defaults made{box->GetStrokeWidth(), box->GetOpacity(), box->GetAngle(), box->IsFilled(), box->IsStroked(), {},
                      {}};
        if (box->GetFillColor())
            made.fill = *box->GetFillColor();
        if (box->GetStrokeColor())
            made.stroke = *box->GetStrokeColor();
        return made;
    }
    void restore(const Defaults &kept)
    {
        CFTDefComponentBox *box = view.ftView()->defBox();
        box->SetLineWidth(kept.width);
        box->SetOpacity(kept.opacity);
        box->SetAngle(kept.angle);
        // Colours and widths switch their part on; the switches come last.
        if (kept.fill)
            box->SetFillColor(&*kept.fill);
        if (kept.stroke)
            box->SetStrokeColor(&*kept.stroke);
        box->SetFilled(kept.filled);
        box->SetStroked(kept.stroked);
    }
    void toggle(const char *checkbox)
    {
        QCheckBox *box = child<QCheckBox>(checkbox);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
    }

    CAPropertiesController *inspector = nullptr;
    CAInspectorPane *pane = nullptr;
};

TEST(FillLinePane, ShownForShapesAndDisabledWithoutACanvas)
{
    InspectedCanvas canvas;
    ASSERT_NE(canvas.pane, nullptr);
    canvas.select({canvas.box});
    EXPECT_EQ(canvas.inspector->tabView()->currentIndex(), int(CAPropertiesController::FillTab));
    EXPECT_TRUE(canvas.child<QCheckBox>("m_fillCheckbox")->isEnabled());
    EXPECT_TRUE(canvas.child<QCheckBox>("m_fillCheckbox")->isChecked());
    EXPECT_EQ(canvas.pane->docView(), &canvas.view);

    // The document window lost its main status: the pane lets go of the canvas.
    PWNotificationCenter::defaultCenter().postNotification(CACanvasSelection::kChangeSelectionNotify, nullptr);
    EXPECT_FALSE(canvas.child<QCheckBox>("m_fillCheckbox")->isEnabled());
    EXPECT_FALSE(canvas.child<QSlider>("m_lineWidthSlider")->isEnabled());
    EXPECT_EQ(canvas.pane->docView(), nullptr);
}

TEST(FillLinePane, TwoShapesAndATextShowFillAndLineATieKeepsTheTab)
{
    InspectedCanvas canvas;
    canvas.select({canvas.box, canvas.bare, canvas.text});
    EXPECT_EQ(canvas.inspector->tabView()->currentIndex(), int(CAPropertiesController::FillTab));
    EXPECT_TRUE(canvas.child<QSlider>("m_rotateSlider")->isEnabled());
    canvas.select({canvas.box, canvas.text});
    EXPECT_EQ(canvas.inspector->tabView()->currentIndex(), int(CAPropertiesController::FillTab));
    EXPECT_FALSE(canvas.child<QSlider>("m_rotateSlider")->isEnabled());
}

TEST(FillLinePane, LineWidthSliderPositionIsOneUndoableStepForEveryShape)
{
    InspectedCanvas canvas;
    const QByteArray before = canvas.saved();
    const InspectedCanvas::Defaults defaults = canvas.defaults();
    canvas.select({canvas.box, canvas.bare});
    QSlider *slider = canvas.child<QSlider>("m_lineWidthSlider");
    // The first shape's width of 1 point stands at position 3; one key step up is position 4.
    ASSERT_EQ(slider->value(), 3);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    ASSERT_EQ(slider->value(), 4);
    EXPECT_FLOAT_EQ(canvas.box->GetStrokeWidth(), 2.0f);
    EXPECT_FLOAT_EQ(canvas.bare->GetStrokeWidth(), 2.0f);
    EXPECT_EQ(canvas.child<QLineEdit>("m_lineWidthTextField")->text(), QStringLiteral("2"));
    EXPECT_EQ(canvas.undo().undoActionName(), PWLocalizedString(QStringLiteral("CHANGE_LINEWIDTH")));
    EXPECT_FLOAT_EQ(canvas.view.ftView()->defBox()->GetStrokeWidth(), 2.0f) << "new shapes take the width";
    // One undo takes back the width of both shapes and of new shapes: the saved design is back.
    canvas.undo().undo();
    EXPECT_FALSE(canvas.undo().canUndo());
    EXPECT_FLOAT_EQ(canvas.view.ftView()->defBox()->GetStrokeWidth(), defaults.width);
    EXPECT_TRUE(sameDesign(canvas.saved(), before));
}

TEST(FillLinePane, ATypedWidthBelowZeroOrNotANumberNeverReachesTheShapes)
{
    InspectedCanvas canvas;
    canvas.select({canvas.box});
    const QByteArray before = canvas.saved();
    const InspectedCanvas::Defaults defaults = canvas.defaults();
    for (const QString &refused : {QStringLiteral("-3"), QStringLiteral("wide")}) {
        canvas.type("m_lineWidthTextField", refused);
        EXPECT_FALSE(canvas.undo().canUndo()) << refused.toStdString();
        EXPECT_TRUE(sameDesign(canvas.saved(), before));
        EXPECT_NE(canvas.child<QLineEdit>("m_lineWidthTextField")->text(), refused);
    }
    canvas.type("m_lineWidthTextField", QStringLiteral("3.5"));
    EXPECT_FLOAT_EQ(canvas.box->GetStrokeWidth(), 3.5f);
    EXPECT_EQ(canvas.child<QSlider>("m_lineWidthSlider")->value(), 5);
    canvas.undo().undo();
    canvas.restore(defaults);
    EXPECT_TRUE(sameDesign(canvas.saved(), before));
}

TEST(FillLinePane, EveryControlChangesTheSelectionAndUndoRestoresTheSavedDesign)
{
    InspectedCanvas canvas;
    canvas.select({canvas.box});
    const QByteArray before = canvas.saved();
    const InspectedCanvas::Defaults defaults = canvas.defaults();

    canvas.toggle("m_fillCheckbox");
    EXPECT_FALSE(canvas.box->IsFilled());
    EXPECT_EQ(canvas.undo().undoActionName(), PWLocalizedString(QStringLiteral("SET_FILL")));
    canvas.toggle("m_lineCheckbox");
    EXPECT_EQ(canvas.box->IsStroked(), canvas.child<QCheckBox>("m_lineCheckbox")->isChecked());
    EXPECT_EQ(canvas.undo().undoActionName(), PWLocalizedString(QStringLiteral("SET_STROKE")));

    canvas.type("m_fillOpacityTextField", QStringLiteral("40"));
    EXPECT_FLOAT_EQ(canvas.box->GetOpacity(), 0.4f);
    EXPECT_EQ(canvas.child<QSlider>("m_fillOpacitySlider")->value(), 40);

    canvas.type("m_rotateEdit", QStringLiteral("370"));
    EXPECT_NEAR(canvas.box->GetAngle(), 10.0 * std::numbers::pi / 180.0, 1e-9);
    EXPECT_EQ(canvas.child<QLineEdit>("m_rotateEdit")->text(), QStringLiteral("10"));
    EXPECT_EQ(canvas.undo().undoActionName(), PWLocalizedString(QStringLiteral("SET_ANGLE")));

    QSlider *rotation = canvas.child<QSlider>("m_rotateSlider");
    rotation->setValue(88);
    EXPECT_NEAR(canvas.box->GetAngle(), std::numbers::pi / 2.0, 1e-9);
    EXPECT_EQ(canvas.child<QLineEdit>("m_rotateEdit")->text(), QStringLiteral("90"));

    QTest::mouseClick(canvas.child<QAbstractButton>("m_FlipXButton"), Qt::LeftButton);
    EXPECT_TRUE(canvas.box->IsFlipX());
    EXPECT_EQ(canvas.undo().undoActionName(), PWLocalizedString(QStringLiteral("SET_FLIP")));
    QTest::mouseClick(canvas.child<QAbstractButton>("m_FlipYButton"), Qt::LeftButton);
    EXPECT_TRUE(canvas.box->IsFlipY());

    // The colour panel's choice goes to the well that was clicked.
    QTest::mouseClick(canvas.child<CAColorWell>("m_lineColorWell"), Qt::LeftButton);
    EXPECT_TRUE(canvas.inspector->colorActive());
    CAColorWell::colorPanel()->setCurrentColor(QColor(200, 10, 10));
    ASSERT_NE(canvas.box->GetStrokeColor(), nullptr);
    EXPECT_EQ(canvas.box->GetStrokeColor()->toQColor().red(), 200);
    EXPECT_EQ(canvas.undo().undoActionName(), PWLocalizedString(QStringLiteral("CHANGE_FORECOLOR")));
    canvas.child<CAColorWell>("m_lineColorWell")->deactivate();
    EXPECT_FALSE(canvas.inspector->colorActive());

    while (canvas.undo().canUndo())
        canvas.undo().undo();
    // Opacity and angle went to new shapes in their steps and came back with them; the switches
    // set what new shapes get as no step of their own, and the colours left it alone.
    CFTDefComponentBox *box = canvas.view.ftView()->defBox();
    EXPECT_FLOAT_EQ(box->GetOpacity(), defaults.opacity);
    EXPECT_DOUBLE_EQ(box->GetAngle(), defaults.angle);
    EXPECT_NE(box->IsFilled(), defaults.filled);
    ASSERT_TRUE(defaults.stroke && box->GetStrokeColor());
    EXPECT_EQ(box->GetStrokeColor()->toQColor().rgba(), defaults.stroke->toQColor().rgba());
    canvas.restore(defaults);
    EXPECT_TRUE(sameDesign(canvas.saved(), before));
}

// What new items get follows the pane's opacity, width, angle and switches as they change the
// selection; undone with the selection's step where that step takes it, kept where it is no step.
struct DefaultFollowsCase
{
    const char *name;
    std::function<void(InspectedCanvas &)> prepare; // before the shape is selected
    std::function<void(InspectedCanvas &)> act;
    std::function<double(CFTAView &)> read; // the default the act sets
    double wanted;
    bool undone;
};

void PrintTo(const DefaultFollowsCase &row, std::ostream *out)
{
    *out << row.name;
}

class DefaultsFollow : public ::testing::TestWithParam<DefaultFollowsCase>
{
};

TEST_P(DefaultsFollow, TheSelectionsEditSetsWhatNewItemsGet)
{
    const DefaultFollowsCase &row = GetParam();
    InspectedCanvas canvas;
    CFTAView &view = *canvas.view.ftView();
    canvas.box->SetFilled(true);
    canvas.box->SetStroked(true);
    view.defBox()->SetFilled(true);
    view.defBox()->SetStroked(true);
    if (row.prepare)
        row.prepare(canvas);
    canvas.select({canvas.box});
    const double before = row.read(view);
    ASSERT_NE(before, row.wanted);
    row.act(canvas);
    EXPECT_NEAR(row.read(view), row.wanted, 1e-6) << "new items take it";
    ASSERT_TRUE(canvas.undo().canUndo()) << "the selection changed";
    canvas.undo().undo();
    EXPECT_NEAR(row.read(view), row.undone ? before : row.wanted, 1e-6);
}

const auto kTyped = [](const char *field, const char *text) {
    return [field, text](InspectedCanvas &canvas) { canvas.type(field, QString::fromLatin1(text)); };
};
const auto kToggled = [](const char *checkbox) {
    return [checkbox](InspectedCanvas &canvas) { canvas.toggle(checkbox); };
};

INSTANTIATE_TEST_SUITE_P(
    Table, DefaultsFollow,
    ::testing::Values(
        DefaultFollowsCase {"TypedOpacity", {}, kTyped("m_fillOpacityTextField", "40"),
                            [](CFTAView &v) { return double(v.defBox()->GetOpacity()); }, 0.4, true},
        DefaultFollowsCase {"SlidOpacity", {},
                            [](InspectedCanvas &c) { c.child<QSlider>("m_fillOpacitySlider")->setValue(30); },
                            [](CFTAView &v) { return double(v.defBox()->GetOpacity()); }, 0.3, true},
        DefaultFollowsCase {"TypedAngle", {}, kTyped("m_rotateEdit", "30"),
                            [](CFTAView &v) { return v.defBox()->GetAngle(); }, std::numbers::pi / 6.0, true},
        DefaultFollowsCase {"SlidAngle", {}, [](InspectedCanvas &c) { c.child<QSlider>("m_rotateSlider")->setValue(88); },
                            [](CFTAView &v) { return v.defBox()->GetAngle(); }, std::numbers::pi / 2.0, true},
        DefaultFollowsCase {"TypedWidth", {}, kTyped("m_lineWidthTextField", "3.5"),
                            [](CFTAView &v) { return double(v.defBox()->GetStrokeWidth()); }, 3.5, true},
        DefaultFollowsCase {"FillSwitch", {}, kToggled("m_fillCheckbox"),
                            [](CFTAView &v) { return double(v.defBox()->IsFilled()); }, 0.0, false},
        DefaultFollowsCase {"LineSwitch", {}, kToggled("m_lineCheckbox"),
                            [](CFTAView &v) { return double(v.defBox()->IsStroked()); }, 0.0, false},
        // Under the text tool the switch sets new texts' line, not new shapes'.
        DefaultFollowsCase {"LineSwitchUnderTheTextTool",
                            [](InspectedCanvas &c) {
                                c.view.ftView()->setToolMode(toolText);
                                c.view.ftView()->defText()->SetStroked(true);
                            },
                            kToggled("m_lineCheckbox"),
                            [](CFTAView &v) { return double(v.defText()->IsStroked()) + 2.0 * v.defBox()->IsStroked(); },
                            2.0, false}),
    [](const ::testing::TestParamInfo<DefaultFollowsCase> &info) { return std::string(info.param.name); });

TEST(FillLinePane, ShowsOpacityAndAngleTowardZero)
{
    InspectedCanvas canvas;
    canvas.box->SetOpacity(0.756f);
    canvas.box->SetAngle(29.6 * std::numbers::pi / 180.0);
    canvas.select({canvas.box});
    EXPECT_EQ(canvas.child<QLineEdit>("m_fillOpacityTextField")->text(), QStringLiteral("75"));
    EXPECT_EQ(canvas.child<QSlider>("m_fillOpacitySlider")->value(), 75);
    EXPECT_EQ(canvas.child<QLineEdit>("m_rotateEdit")->text(), QStringLiteral("29"));
    EXPECT_EQ(canvas.child<QSlider>("m_rotateSlider")->value(), 29);
}

TEST(FillLinePane, TheInspectorOutlivesItsCanvas)
{
    auto canvas = std::make_unique<InspectedCanvas>();
    canvas->select({canvas->box});
    CAInspectorPane *pane = canvas->pane;
    QSlider *opacity = pane->findChild<QSlider *>(QStringLiteral("m_fillOpacitySlider"));
    ASSERT_EQ(pane->docView(), &canvas->view);
    // The document closes while the inspector still shows its selection.
    canvas.reset();
    EXPECT_EQ(pane->docView(), nullptr);
    EXPECT_EQ(CAPropertiesController::sharedPropertiesController()->inspectedView(), nullptr);
    // The pane shows nothing it could no longer edit.
    EXPECT_FALSE(opacity->isEnabled());
    // A control moved afterwards reaches nothing.
    opacity->setValue(opacity->value() == 10 ? 20 : 10);
    PWNotificationCenter::defaultCenter().postNotification(CACanvasSelection::kChangeSelectionNotify, nullptr);
    EXPECT_FALSE(opacity->isEnabled());
}

TEST(PropertiesController, SwitchingTabsByHandLetsTheLeftPaneGo)
{
    InspectedCanvas canvas;
    canvas.select({canvas.box});
    ASSERT_EQ(canvas.pane->docView(), &canvas.view);
    canvas.inspector->tabView()->setCurrentIndex(CAPropertiesController::AddressTab);
    EXPECT_EQ(canvas.pane->docView(), nullptr);
    EXPECT_FALSE(canvas.child<QCheckBox>("m_fillCheckbox")->isEnabled());
    canvas.select({canvas.bare});
    EXPECT_EQ(canvas.inspector->tabView()->currentIndex(), int(CAPropertiesController::FillTab));
}

} // namespace

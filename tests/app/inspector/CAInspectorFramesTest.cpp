// The drawn frames and the trash: the bevelled box's pieces where they belong, the tab view
// with its own row of tab buttons (placement, band and page area), and the trash as a drop
// target for fields of the address-format grid -- also inside the windows that use them.
#include "app/inspector/CAAddressFormatGrid.h"
#include "app/inspector/CAAddressFormatGridView.h"
#include "app/inspector/CABeveledBox.h"
#include "app/inspector/CAControlImages.h"
#include "app/inspector/CACustomFormatEditor.h"
#include "app/inspector/CADesignWindow.h"
#include "app/inspector/CATabViewWithCustomTabs.h"
#include "app/inspector/CATrashImageView.h"
#include "kernel/address/FTTextCategories.h"
#include "platform/PWPasteboardTypes.h"
#include "platform/PWUserDefaults.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QMimeData *fieldData(const QByteArray &bytes)
{
    auto *data = new QMimeData;
    data->setData(PWPasteboardTypes::mimeTypeOf(PWPasteboardTypes::kCustomAddressFormatField), bytes);
    return data;
}

QByteArray streetField()
{
    return CAAddressFormatGrid::fieldDragData(FTTextCategories::getTextCategoryFromKey(u"Street"_s));
}

bool enterWith(QWidget *target, const QMimeData *data)
{
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    return enter.isAccepted() && enter.dropAction() == Qt::MoveAction;
}

} // namespace

TEST(CATrashImageView, HighlightsOnlyWhileAFieldIsOverIt)
{
    CATrashImageView trash;
    trash.show();
    const QImage plainTrash = CAControlImages::image(u"trash"_s);
    ASSERT_FALSE(plainTrash.isNull());
    EXPECT_EQ(trash.currentImage(), plainTrash);

    std::unique_ptr<QMimeData> field(fieldData(streetField()));
    ASSERT_TRUE(enterWith(&trash, field.get()));
    EXPECT_TRUE(trash.isDragOver());
    EXPECT_EQ(trash.currentImage(), trash.highlightTrashImage());
    QDragLeaveEvent leave;
    QApplication::sendEvent(&trash, &leave);
    EXPECT_FALSE(trash.isDragOver());
    EXPECT_EQ(trash.currentImage(), plainTrash);

    // A drop is taken as a move, which tells the grid to remove the field, and ends the highlight.
    ASSERT_TRUE(enterWith(&trash, field.get()));
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, field.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&trash, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::MoveAction);
    EXPECT_FALSE(trash.isDragOver());
}

TEST(CATrashImageView, RefusesWhatIsNoField)
{
    CATrashImageView trash;
    std::unique_ptr<QMimeData> text(new QMimeData);
    text->setText(u"Street"_s);
    std::unique_ptr<QMimeData> damaged(fieldData(QByteArray("\xff\x00garbage", 9)));
    for (const QMimeData *data : {text.get(), damaged.get()}) {
        EXPECT_FALSE(enterWith(&trash, data));
        EXPECT_FALSE(trash.isDragOver());
        QDropEvent drop(QPointF(5, 5), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&trash, &drop);
        EXPECT_FALSE(drop.isAccepted());
    }
}

TEST(CATrashImageView, HighlightDarkensOnlyOpaquePixels)
{
    QImage half(4, 2, QImage::Format_ARGB32_Premultiplied);
    half.fill(Qt::transparent);
    for (int x = 0; x < 2; ++x)
        for (int y = 0; y < 2; ++y)
            half.setPixelColor(x, y, Qt::white);
    const QImage dark = CATrashImageView::makeHighlight(half);
    ASSERT_EQ(dark.size(), half.size());
    const QColor opaque = dark.pixelColor(0, 0);
    EXPECT_EQ(opaque.alpha(), 255);
    EXPECT_NEAR(opaque.red(), 153, 2);
    EXPECT_EQ(dark.pixelColor(3, 1).alpha(), 0);
    EXPECT_TRUE(CATrashImageView::makeHighlight(QImage()).isNull());
}

TEST(CABeveledBox, CornersAtTheirPlacesAndTranslucentInside)
{
    const QSize size(60, 40);
    QImage drawn(size, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::black);
    {
        QPainter painter(&drawn);
        CABeveledBox::drawBevel(painter, size);
    }
    // Each corner alone over the same ground, at the place the box gives it.
    const auto corner = [&size](const QString &name, bool right, bool bottom) {
        const QImage piece = CAControlImages::image(name);
        QImage alone(size, QImage::Format_ARGB32_Premultiplied);
        alone.fill(Qt::black);
        QPainter painter(&alone);
        const QPoint at(right ? size.width() - piece.width() : 0, bottom ? size.height() - piece.height() : 0);
        painter.drawImage(at, piece);
        painter.end();
        return std::make_pair(alone.copy(QRect(at, piece.size())), QRect(at, piece.size()));
    };
    for (const auto &[name, right, bottom] : {std::tuple{u"left_top"_s, false, false}, std::tuple{u"right_top"_s, true, false},
                                              std::tuple{u"left_bottom"_s, false, true}, std::tuple{u"right_bottom"_s, true, true}}) {
        const auto [expected, place] = corner(name, right, bottom);
        EXPECT_EQ(drawn.copy(place), expected) << name.toStdString();
    }
    // The pieces differ, so a corner put in another's place shows.
    EXPECT_NE(CAControlImages::image(u"left_top"_s), CAControlImages::image(u"left_bottom"_s));
    const QColor inside = drawn.pixelColor(30, 20);
    EXPECT_NEAR(inside.red(), qRound(255 * 0.34), 2);
    EXPECT_EQ(CABeveledBox().contentsMargins(), QMargins(7, 7, 7, 7));
}

namespace {

QWidget *tabRow(int width, int height)
{
    auto *row = new QWidget;
    row->setFixedSize(width, height);
    return row;
}

} // namespace

TEST(CATabViewWithCustomTabs, RowCentredOnWakingAndAfterResizing)
{
    CATabViewWithCustomTabs view;
    view.resize(301, 200);
    view.setCustomTabs(tabRow(100, 30));
    EXPECT_EQ(view.customTabsOrigin(), QPointF(100, 2));
    EXPECT_EQ(view.customTabs()->pos(), QPoint(100, 2));
    view.show();
    view.resize(400, 200);
    view.resize(301, 200);
    EXPECT_EQ(view.customTabsOrigin(), QPointF(101.5, 2));
    EXPECT_EQ(view.customTabs()->pos(), QPoint(101, 2));
}

TEST(CATabViewWithCustomTabs, PagesBelowTheRowAndBandBehindIt)
{
    CATabViewWithCustomTabs view;
    view.resize(200, 200);
    view.setCustomTabs(tabRow(80, 30));
    EXPECT_EQ(view.bandHeight(), 17);
    // 8 + 30 + 2 - 5 from the top, 182 - (30 - 12) high.
    EXPECT_EQ(view.contentRect(), QRect(0, 35, 200, 164));
    EXPECT_EQ(view.pages()->geometry(), view.contentRect());
    CATabViewWithCustomTabs odd;
    odd.setCustomTabs(tabRow(80, 31));
    EXPECT_EQ(odd.bandHeight(), 17);

    QImage drawn(view.size(), QImage::Format_ARGB32_Premultiplied);
    drawn.fill(QColor(128, 128, 128));
    view.render(&drawn, QPoint(), QRegion(), QWidget::RenderFlags());
    EXPECT_NEAR(drawn.pixelColor(2, 5).red(), 128 + qRound(127 * 0.45), 2);
    EXPECT_EQ(drawn.pixelColor(2, 60).red(), 128);
    EXPECT_LT(qMin(drawn.pixelColor(2, 17).red(), drawn.pixelColor(2, 18).red()), 128);
}

TEST(CATabViewWithCustomTabs, DesignWindowPanesAreItsTabs)
{
    CADesignWindow window;
    window.show();
    window.displayDesignPanelIndex(CADesignWindow::ImageCollection, 0);
    auto *pictures = window.findChild<CATabViewWithCustomTabs *>(u"_pictureTab"_s);
    ASSERT_NE(pictures, nullptr);
    ASSERT_NE(pictures->customTabs(), nullptr);
    for (int tag : {10, 21, 22, 33, 44}) {
        auto *button = pictures->customTabs()->findChild<QAbstractButton *>(u"padButton%1"_s.arg(tag));
        ASSERT_NE(button, nullptr) << tag;
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(pictures->pages()->currentIndex(), tag % 10);
    }
    EXPECT_EQ(pictures->pages()->count(), 5);
}

TEST(CATrashImageView, EditorFramesItsGridsAndTrashesDraggedFields)
{
    PWUserDefaults::standardUserDefaults().removeObject(u"CustomAddressFormat"_s);
    CACustomFormatEditor editor;
    editor.show();
    for (const QString &name : {u"addButton"_s, u"clearButton"_s}) {
        auto *button = editor.findChild<QPushButton *>(name);
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    ASSERT_TRUE(editor.grid().isEmpty());
    auto *paletteBox = editor.findChild<CABeveledBox *>(u"paletteBox"_s);
    auto *layoutBox = editor.findChild<CABeveledBox *>(u"layoutBox"_s);
    ASSERT_NE(paletteBox, nullptr);
    ASSERT_NE(layoutBox, nullptr);
    EXPECT_TRUE(paletteBox->isAncestorOf(editor.paletteView()));
    EXPECT_TRUE(layoutBox->isAncestorOf(editor.layoutView()));

    // A field put in the layout, then dragged onto the trash: lit while over it, gone after.
    CAAddressFormatGridView *palette = editor.paletteView();
    CAAddressFormatGridView *layout = editor.layoutView();
    const int street = FTTextCategories::getTextCategoryFromKey(u"Street"_s);
    const std::vector<int> &rows = CAAddressFormatGrid::paletteRows();
    const int paletteRow = static_cast<int>(std::find(rows.begin(), rows.end(), street) - rows.begin());
    const auto dragCell = [](CAAddressFormatGridView *source, int row, int column) {
        QTest::mousePress(source, Qt::LeftButton, Qt::NoModifier, source->cellRect(row, column).center());
        QTest::mouseRelease(source, Qt::LeftButton, Qt::NoModifier, source->cellRect(row, column).center());
    };
    palette->setDragRunner([layout](QDrag &drag) {
        const QPoint at = layout->cellRect(2, 2).center();
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(layout, &enter);
        QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(layout, &move);
        QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(layout, &drop);
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    });
    dragCell(palette, paletteRow, 0);
    ASSERT_EQ(editor.grid().categoryAt(2, 2), street);

    CATrashImageView *trash = editor.trashView();
    bool litDuringDrag = false;
    layout->setDragRunner([trash, &litDuringDrag](QDrag &drag) {
        if (!enterWith(trash, drag.mimeData()))
            return Qt::IgnoreAction;
        litDuringDrag = trash->isDragOver();
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(trash, &drop);
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    });
    dragCell(layout, 2, 2);
    EXPECT_TRUE(litDuringDrag);
    EXPECT_FALSE(trash->isDragOver());
    EXPECT_EQ(editor.grid().categoryAt(2, 2), -1);
    PWUserDefaults::standardUserDefaults().removeObject(u"CustomAddressFormat"_s);
}

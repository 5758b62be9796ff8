// The design window's lists: the rows they hold, the drag data of every row, and every row
// dropped onto a canvas through a real drop event.
#include "app/canvas/CADocView.h"
#include "app/inspector/CADesignTextListModel.h"
#include "app/inspector/CADesignTextLists.h"
#include "kernel/address/CAddressFormatController.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/FTClassID.h"
#include "kernel/component/CFTACoreDoc.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "platform/PWPasteboardTypes.h"
#include "platform/PWUndoManager.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString designType()
{
    return PWPasteboardTypes::mimeTypeOf(PWPasteboardTypes::kAddressDocument);
}

QByteArray archiveOf(CFTComponent *component)
{
    CDDArchive archive(true, ptInline);
    std::vector<CFTComponent *> one{component};
    CFTACoreDoc::SerializeComponents(archive, &one, true);
    return archive.Dettach().toXml();
}

struct Canvas
{
    Canvas()
    {
        view.resize(600, 500);
        EXPECT_TRUE(view.setDocument(&document));
        document.undoManager()->setGroupsByEvent(false);
    }
    // Lets the data go over the canvas at a widget point as a user's drop would.
    bool drop(const QMimeData &data, const QPoint &at)
    {
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropEvent(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &dropEvent);
        return dropEvent.isAccepted();
    }
    std::vector<CFTComponent *> components() const { return view.ftView()->GetCurrentComponents(); }

    CADocument document;
    CADocView view;
};

int expectedClass(int category)
{
    switch (category) {
    case 25: return ciCounter;
    case 26: return ciFileField;
    case 106: return ciBarcode;
    default: return ciAddressText;
    }
}

} // namespace

TEST(CADesignTextLists, FieldsHoldFiftyFiveCategoriesAndNineSeparatorsInOrder)
{
    CADesignTextLists lists;
    ASSERT_EQ(lists.count(CADesignTextLists::Fields), 64);
    int separators = 0;
    for (int row = 0; row < 64; ++row) {
        const CADesignTextItem *item = lists.itemAtRow(CADesignTextLists::Fields, row);
        ASSERT_NE(item, nullptr);
        separators += item->type() == CADesignTextItem::Separator ? 1 : 0;
        EXPECT_EQ(lists.tcForRow(row), CADesignTextLists::fieldRows()[static_cast<std::size_t>(row)]);
    }
    EXPECT_EQ(separators, 9);
    EXPECT_EQ(lists.itemAtRow(CADesignTextLists::Fields, 0)->title(), u"Simple Text"_s);
    EXPECT_EQ(lists.itemAtRow(CADesignTextLists::Fields, 17)->title(), u"ZIP/Postal Code"_s);
    EXPECT_EQ(lists.tcForRow(63), 26);
}

TEST(CADesignTextLists, RowsOutsideTheListsGiveNothing)
{
    CADesignTextLists lists;
    for (const int row : {-1, -100, lists.count(CADesignTextLists::Fields), 1 << 30}) {
        EXPECT_EQ(lists.itemAtRow(CADesignTextLists::Fields, row), nullptr) << row;
        EXPECT_EQ(lists.itemAtRow(CADesignTextLists::Templates, row < 0 ? row : lists.count(CADesignTextLists::Templates)), nullptr);
        EXPECT_EQ(lists.tcForRow(row), -1);
        EXPECT_EQ(lists.mimeDataForRow(CADesignTextLists::Fields, row), nullptr);
        EXPECT_TRUE(lists.dragImageForRow(CADesignTextLists::Fields, row, 1.0).isNull());
    }
    // A separator refuses the drag too.
    EXPECT_EQ(lists.mimeDataForRow(CADesignTextLists::Fields, 1), nullptr);
}

TEST(CADesignTextLists, TemplatesComeFromTheTemplateFileWithoutCustomFormatsWhenNoneExist)
{
    CADesignTextLists lists;
    ASSERT_TRUE(CAddressFormatController::sharedAddressFormatController().customTemplates().isEmpty());
    int templates = 0;
    for (int row = 0; row < lists.count(CADesignTextLists::Templates); ++row) {
        const CADesignTextItem *item = lists.itemAtRow(CADesignTextLists::Templates, row);
        EXPECT_NE(item->type(), CADesignTextItem::CustomFormat);
        if (item->type() == CADesignTextItem::Template) {
            ++templates;
            EXPECT_FALSE(item->name().isEmpty());
            EXPECT_EQ(item->tc(), -1);
        }
    }
    EXPECT_GT(templates, 3);
}

TEST(CADesignTextLists, ATemplateThatCannotBeBuiltRefusesTheDrag)
{
    const CADesignTextItem missing(u"No Such Template"_s, CADesignTextItem::Template, static_cast<textCategory>(-1));
    EXPECT_EQ(missing.createComponentAsReceiver(true, nullptr), nullptr);
    const CADesignTextItem staleCustom(u"Gone"_s, CADesignTextItem::CustomFormat, static_cast<textCategory>(-1), 7);
    EXPECT_EQ(staleCustom.createComponentAsReceiver(true, nullptr), nullptr);
}

TEST(CADesignTextLists, SenderChoiceDecidesTheSideOfEveryDraggedField)
{
    CADesignTextLists lists;
    const int firstName = 3;
    ASSERT_EQ(lists.tcForRow(firstName), 17);
    for (const bool sender : {false, true}) {
        sender ? lists.selectSender() : lists.selectRecipient();
        const std::unique_ptr<CFTComponent> made = lists.componentForRow(CADesignTextLists::Fields, firstName);
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->GetToFrom(), !sender);
        EXPECT_EQ(made->GetAddressType(), adWork);
        EXPECT_EQ(made->GetOriginX(), 0.0);
        EXPECT_EQ(made->GetOriginY(), 0.0);
    }
}

class FieldRowDrop : public ::testing::TestWithParam<int>
{
};

TEST_P(FieldRowDrop, MakesTheComponentOfItsRowWhereItIsDropped)
{
    const int row = GetParam();
    CADesignTextLists lists;
    const int category = lists.tcForRow(row);
    ASSERT_GE(category, 0);
    const std::unique_ptr<QMimeData> data = lists.mimeDataForRow(CADesignTextLists::Fields, row);
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->formats(), QStringList{designType()});

    // The payload is exactly the archive of the row's component, and reads back as it.
    const std::unique_ptr<CFTComponent> expected = lists.componentForRow(CADesignTextLists::Fields, row);
    const QByteArray payload = data->data(designType());
    EXPECT_EQ(payload, archiveOf(expected.get()));
    std::vector<std::unique_ptr<CFTComponent>> read = CADocument::componentsFromData(payload);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(archiveOf(read.front().get()), payload);

    Canvas canvas;
    const std::size_t before = canvas.components().size();
    ASSERT_TRUE(canvas.drop(*data, QPoint(200, 150)));
    ASSERT_EQ(canvas.components().size(), before + 1);
    CFTComponent *dropped = canvas.components().back();
    EXPECT_EQ(dropped->getClassID(), expectedClass(category));
    EXPECT_EQ(static_cast<int>(dropped->GetTextCategory()), category);
    if (category == 106) {
        EXPECT_EQ(dropped->GetLocation(), 2);
    }
    const QPointF at = canvas.view.geometry().documentPoint(QPointF(200, 150));
    EXPECT_NEAR(dropped->GetOriginX(), at.x(), 0.01);
    EXPECT_NEAR(dropped->GetOriginY(), at.y(), 0.01);
    EXPECT_TRUE(canvas.view.ftView()->isSelected(dropped));
    // One step, undone whole.
    canvas.document.undoManager()->undo();
    EXPECT_EQ(canvas.components().size(), before);
}

std::vector<int> fieldRowsWithCategories()
{
    std::vector<int> rows;
    for (int row = 0; row < static_cast<int>(CADesignTextLists::fieldRows().size()); ++row) {
        if (CADesignTextLists::fieldRows()[static_cast<std::size_t>(row)] >= 0)
            rows.push_back(row);
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(AllRows, FieldRowDrop, ::testing::ValuesIn(fieldRowsWithCategories()));

TEST(CADesignTextLists, EveryTemplateRowDropsAWholePanel)
{
    CADesignTextLists lists;
    Canvas canvas;
    int dropped = 0;
    for (int row = 0; row < lists.count(CADesignTextLists::Templates); ++row) {
        const CADesignTextItem *item = lists.itemAtRow(CADesignTextLists::Templates, row);
        const std::unique_ptr<QMimeData> data = lists.mimeDataForRow(CADesignTextLists::Templates, row);
        if (item->type() == CADesignTextItem::Separator) {
            EXPECT_EQ(data, nullptr);
            continue;
        }
        ASSERT_NE(data, nullptr) << item->name().toStdString();
        const std::unique_ptr<CFTComponent> expected = lists.componentForRow(CADesignTextLists::Templates, row);
        EXPECT_EQ(data->data(designType()), archiveOf(expected.get())) << item->name().toStdString();
        ASSERT_TRUE(canvas.drop(*data, QPoint(100, 100)));
        ++dropped;
        CFTComponent *panel = canvas.components().back();
        EXPECT_EQ(panel->getClassID(), ciAddressPanel);
        EXPECT_TRUE(panel->GetToFrom());
        EXPECT_FALSE(lists.dragImageForRow(CADesignTextLists::Templates, row, 2.0).isNull());
    }
    EXPECT_EQ(static_cast<int>(canvas.components().size()), dropped);
}

TEST(CADesignTextLists, TheCanvasRefusesOtherDropsAndLeavesTheDesignAlone)
{
    Canvas canvas;
    QMimeData unknown;
    unknown.setData(u"application/x-unknown-kind"_s, "hello");
    EXPECT_FALSE(canvas.drop(unknown, QPoint(50, 50)));
    QMimeData garbage;
    garbage.setData(designType(), "not a property list");
    EXPECT_FALSE(canvas.drop(garbage, QPoint(50, 50)));
    EXPECT_TRUE(canvas.components().empty());
    EXPECT_FALSE(canvas.document.undoManager()->canUndo());
}

TEST(CADesignTextListModel, SeparatorsNeitherDragNorSelectAndTitlesShow)
{
    CADesignTextLists lists;
    CADesignTextListModel model(lists, CADesignTextLists::Fields);
    EXPECT_EQ(model.rowCount(), 64);
    EXPECT_EQ(model.flags(model.index(1)), Qt::NoItemFlags);
    EXPECT_EQ(model.flags(model.index(0)), Qt::ItemIsEnabled | Qt::ItemIsDragEnabled);
    EXPECT_EQ(model.data(model.index(2), Qt::DisplayRole).toString(), u"Prefix"_s);
    std::unique_ptr<QMimeData> data(model.mimeData({model.index(2)}));
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat(designType()));
    EXPECT_EQ(model.mimeData({model.index(1)}), nullptr);
}

TEST(CADesignTextLists, AHandlingLabelDropsAsAFreeTextThatKeepsItsWords)
{
    CADesignTextLists lists;
    std::unique_ptr<CFTComponent> label = lists.componentForText(u"FRAGILE"_s);
    ASSERT_NE(label, nullptr);
    const std::unique_ptr<QMimeData> data = CADesignTextLists::mimeDataForComponent(label.get());
    ASSERT_NE(data, nullptr);
    Canvas canvas;
    ASSERT_TRUE(canvas.drop(*data, QPoint(120, 80)));
    ASSERT_EQ(canvas.components().size(), 1u);
    CFTComponent *dropped = canvas.components().front();
    EXPECT_EQ(dropped->getClassID(), ciAddressText);
    EXPECT_EQ(dropped->GetTextCategory(), tcSimpleText);
    ASSERT_NE(dropped->GetText(), nullptr);
    EXPECT_EQ(dropped->GetText()->getString(), u"FRAGILE"_s);
}

// The canvas shows a text at its size in points as the screen shows a page: 24 points at 96 dots
// per inch are 32 pixels at 100 %, and the in-place editor laid over the text shows it at the same
// place and size as the canvas drew it, at every zoom.
#include "app/canvas/CACanvasTextEditor.h"
#include "app/canvas/CADocView.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWAttributedString.h"
#include "platform/PWFont.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QRawFont>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

constexpr double kSize = 24.0;
constexpr double kScreen = 96.0;

// Where a line of H's stands in a photograph: the rows holding dark pixels, and the first and
// last columns dark over most of those rows (the stems).
struct Capitals
{
    int top = -1;
    int bottom = -1;
    int left = -1;
    int right = -1;
    int height() const { return top < 0 ? 0 : bottom - top + 1; }
};

bool dark(QRgb pixel)
{
    return qRed(pixel) < 110 && qGreen(pixel) < 110 && qBlue(pixel) < 110;
}

Capitals capitalsIn(const QImage &image, const QRect &area)
{
    Capitals found;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        int count = 0;
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += dark(image.pixel(x, y)) ? 1 : 0;
        if (count >= 2) {
            found.top = found.top < 0 ? y : found.top;
            found.bottom = y;
        }
    }
    for (int x = inside.left(); x <= inside.right() && found.top >= 0; ++x) {
        int count = 0;
        for (int y = found.top; y <= found.bottom; ++y)
            count += dark(image.pixel(x, y)) ? 1 : 0;
        if (count * 5 >= found.height() * 4) {
            found.left = found.left < 0 ? x : found.left;
            found.right = x;
        }
    }
    return found;
}

class CACanvasTextSizeTest : public ::testing::TestWithParam<double>
{
protected:
    CACanvasTextSizeTest()
    {
        text = new CFTAText(40.0, 30.0, nullptr);
        text->GetText()->setString(u"HHH"_s, nullptr);
        text->SetFont(PWFont(u"Helvetica"_s, kSize));
        text->ExpandByText();
        document.ftDocument()->AddObject(text, 0, false);
        view.setScreenResolution(kScreen);
        EXPECT_TRUE(view.setDocument(&document));
        view.setZoom(GetParam());
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    QImage photograph()
    {
        QApplication::processEvents();
        return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    QRect textArea() const
    {
        return view.geometry().widgetRect(text->GetNSDrawRect(false, 0.0)).toAlignedRect().adjusted(-4, -4, 4, 4);
    }

    CADocument document;
    CFTAText *text = nullptr;
    CADocView view;
};

TEST_P(CACanvasTextSizeTest, TextShowsAtItsSizeAndTheEditorOverIt)
{
    const double zoom = GetParam();
    QFont font = PWFont(u"Helvetica"_s, kSize).toQFont();
    font.setPixelSize(100);
    const QRawFont raw = QRawFont::fromFont(font);
    const QList<quint32> glyphs = raw.glyphIndexesForString(u"H"_s);
    ASSERT_FALSE(glyphs.isEmpty());
    const double capitals = raw.pathForGlyph(glyphs.front()).boundingRect().height() / raw.pixelSize() * kSize * kScreen / 72.0 * zoom;

    const Capitals drawn = capitalsIn(photograph(), textArea());
    ASSERT_GE(drawn.top, 0);
    EXPECT_NEAR(drawn.height(), capitals, 1.5);

    // The click that starts editing places the caret: it goes past the last capital, so that the
    // caret stands clear of the first one.
    const QPoint inside =
        view.geometry()
            .widgetPoint(QPointF(text->GetOriginX() + text->GetSizeX() - 1.0, text->GetOriginY() + text->GetSizeY() / 2.0))
            .toPoint();
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, inside);
    ASSERT_TRUE(view.isEditingText());
    ASSERT_TRUE(view.fieldEditor()->isVisible());
    // The editor marks its frame and shows its caret after the text: its first capital is looked
    // for where the canvas drew the first one.
    const QRect first(QPoint(drawn.left - 6, drawn.top - 2), QPoint(drawn.left + (drawn.right - drawn.left) / 4, drawn.bottom + 2));
    const Capitals edited = capitalsIn(photograph(), first);
    EXPECT_EQ(edited.top, drawn.top);
    EXPECT_EQ(edited.bottom, drawn.bottom);
    EXPECT_NEAR(edited.left, drawn.left, 1);

    // Typing and ending the editing leave the text at its size.
    QTest::keyClick(view.viewport(), Qt::Key_End);
    QTest::keyClicks(view.viewport(), u"H"_s);
    // A click on the empty paper ends the editing and leaves nothing selected.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.geometry().widgetPoint(QPointF(200.0, 10.0)).toPoint());
    ASSERT_FALSE(view.isEditingText());
    EXPECT_EQ(text->GetText()->getString(), u"HHHH"_s);
    const Capitals typed = capitalsIn(photograph(), textArea());
    EXPECT_EQ(typed.top, drawn.top);
    EXPECT_EQ(typed.bottom, drawn.bottom);
}

INSTANTIATE_TEST_SUITE_P(Zooms, CACanvasTextSizeTest, ::testing::Values(0.5, 1.0, 2.0, 4.0),
                         [](const auto &info) { return "Percent" + std::to_string(int(info.param * 100)); });

// The editor laid over a text of more lines than Qt lays out quickly on a page of open height
// (past about 19,000 lines of 10 points): the editor's text is laid out at once, and the text
// keeps the page it had when the editor lets it go.
TEST(CACanvasTextEditorLongText, ATallTextIsLaidOutAtOnceAndKeepsItsPage)
{
    QTextCharFormat style;
    PWFont(u"Helvetica"_s, 10.0).applyTo(&style);
    PWAttributedString text;
    for (int line = 0; line < 25000; ++line)
        text.append(u"Line %1\n"_s.arg(line), style);
    CDDText read;
    read.setAttributedString(text);
    QTextDocument *document = read.getContents();
    const QSizeF found = document->pageSize();

    CACanvasTextEditor editor;
    editor.attach(document, QRectF(0.0, 0.0, 200.0, 40.0), 0.0);
    EXPECT_GT(editor.document()->documentLayout()->documentSize().height(), 0.0);
    editor.detach();
    EXPECT_EQ(document->pageSize(), found);
}

} // namespace

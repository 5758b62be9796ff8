#include "kernel/text/CFTTextBlock.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/render/CDDDrawer.h"
#include "kernel/component/CFTACoreView.h"
#include "kernel/render/CDDText.h"
#include "kernel/text/CCTextView.h"

#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include <cmath>
#include <numbers>

CFTTextBlock::CFTTextBlock(std::shared_ptr<CCBlockLayoutManager> manager, int front)
    : CFTTextBlock(0.0, 0.0, CDDTextBlock::kDefaultWidth, CDDTextBlock::kDefaultHeight, std::move(manager), front)
{
}

CFTTextBlock::CFTTextBlock(double x, double y, std::shared_ptr<CCBlockLayoutManager> manager, int front)
    : CFTTextBlock(x, y, CDDTextBlock::kDefaultWidth, CDDTextBlock::kDefaultHeight, std::move(manager), front)
{
}

CFTTextBlock::CFTTextBlock(double x, double y, double width, double height,
                           std::shared_ptr<CCBlockLayoutManager> manager, int front)
    : CFTComponent(x, y, width, height)
{
    init(width, height);
    mBlock.setLayoutManager(std::move(manager), front);
}

CFTTextBlock::CFTTextBlock(const CFTTextBlock *previous)
    : CFTComponent(previous ? previous->mdOriginX : 0.0,
                   previous ? previous->mdOriginY + kContinuationOffset : 0.0,
                   previous ? previous->mdSizeX : CDDTextBlock::kDefaultWidth,
                   previous ? previous->mdSizeY : CDDTextBlock::kDefaultHeight)
{
    init(mdSizeX, mdSizeY);
    if (previous) {
        m_bFillBack = previous->m_bFillBack;
        mBackColor = previous->mBackColor;
        mOutlineColor = *previous->GetStrokeColor();
    }
    mBlock.setLayoutManager(previous ? previous->getLayoutManager() : nullptr, 0);
}

CFTTextBlock::~CFTTextBlock() = default;

void CFTTextBlock::init(double width, double height)
{
    mBackColor = CDDColor(1.0f, 1.0f, 1.0f, 1.0f);
    mTextColor = CDDColor(1.0f, 1.0f, 1.0f, 1.0f);
    mOutlineColor = CDDColor(0.0f, 0.0f, 0.0f, 1.0f);
    mbIsOperating = false;
    mdLastAngle = 0.0;
    mBlock.setDefWidth(width);
    mBlock.setDefHeight(height);
}

QPointF CFTTextBlock::intoFrame(double x, double y) const
{
    if (mdAngle != 0.0)
        rotatePoint(&x, &y, -mdAngle, centerX(), centerY());
    return {x, y};
}

CFTComponent *CFTTextBlock::PickMe(double x, double y, bool &, double, actionType &action, int)
{
    const QPointF p = intoFrame(x, y);
    if (p.x() > mdOriginX && p.x() < mdOriginX + mdSizeX && p.y() > mdOriginY && p.y() < mdOriginY + mdSizeY) {
        action = actionType(6);
        return this;
    }
    return nullptr;
}

int CFTTextBlock::PickMyDot(double x, double y, double dotSize)
{
    const QPointF p = intoFrame(x, y);
    const double half = dotSize * 1.5 / 2.0;
    if (std::fabs(p.x() - mdOriginX) <= half && std::fabs(p.y() - (mdOriginY + mdSizeY / 6.0)) <= half)
        return kInPort;
    if (std::fabs(p.x() - (mdOriginX + mdSizeX)) <= half
        && std::fabs(p.y() - (mdOriginY + 5.0 * mdSizeY / 6.0)) <= half)
        return kOutPort;
    return CFTComponent::PickMyDot(x, y, dotSize);
}

int CFTTextBlock::getCursorRectsByType(cursorType type, SRect *rects, bool enabled, double tolerance)
{
    if (!enabled || m_bIsEditing)
        return 0;
    // A frame standing nearly upright swaps its horizontal and vertical resize cursors.
    if (mdAngle != 0.0 && std::fabs(std::numbers::pi / 2.0 - std::fabs(mdAngle)) < std::numbers::pi / 4.0) {
        static constexpr int swapped[] = {1, 0, 3, 2};
        if (int(type) >= 0 && int(type) < 4)
            type = cursorType(swapped[int(type)]);
    }
    const int count = CFTComponent::getCursorRectsByType(type, rects, tolerance, mdOriginX, mdOriginY, mdSizeX,
                                                         mdSizeY, 0.0);
    if (mdAngle != 0.0 && rects) {
        for (int i = 0; i < count; ++i) {
            double cx = rects[i].x + rects[i].width / 2.0;
            double cy = rects[i].y + rects[i].height / 2.0;
            rotatePoint(&cx, &cy, mdAngle, centerX(), centerY());
            rects[i].x = cx - rects[i].width / 2.0;
            rects[i].y = cy - rects[i].height / 2.0;
        }
    }
    return count;
}

void CFTTextBlock::StartOperation(operMode mode, const CFTACoreView *view, int unused, int)
{
    if (mode == 1 || mode == 4 || mode == 6 || mode == 10)
        m_bDontAutoResize = true;
    CFTComponent::StartOperation(mode, view, unused, 0);
    mbIsOperating = true;
}

void CFTTextBlock::EndOperation(operMode mode)
{
    CFTComponent::EndOperation(mode);
    mbIsOperating = false;
}

void CFTTextBlock::Move(double dx, double dy, const CFTACoreView *)
{
    mdOriginX += dx;
    mdOriginY += dy;
    mbIsLastPathValid = false;
}

void CFTTextBlock::MoveDot(int &handle, double dx, double dy, const CFTACoreView *view)
{
    if (mdAngle != 0.0)
        rotateVector(&dx, &dy, -mdAngle);
    const double oldCentreX = centerX();
    const double oldCentreY = centerY();
    CFTComponent::MoveDot(handle, dx, dy, view);
    if (mdAngle != 0.0) {
        double cx = centerX();
        double cy = centerY();
        rotatePoint(&cx, &cy, mdAngle, oldCentreX, oldCentreY);
        mdOriginX = cx - mdSizeX / 2.0;
        mdOriginY = cy - mdSizeY / 2.0;
    }
}

void CFTTextBlock::Draw(CDDDrawer *drawer, bool selected, const CFTComponentsInterface *components, bool, bool)
{
    if (!drawer)
        return;
    if (!drawer->IsDrawingToShadow() && !m_bIsEditing) {
        InvalidateShadow();
        mBlock.invalidateLayout(components, mdOriginX, mdOriginY, mdSizeX, mdSizeY, mdAngle);
    }
    if (mbHasShadow && !drawer->IsDrawingToShadow() && !m_bIsEditing)
        drawShadow(drawer, components);
    const bool frame = selected || (mbIsOperating && !drawer->IsDrawingToShadow());
    mBlock.draw(mdOriginX, mdOriginY, mdSizeX, mdSizeY, frame, m_bFillBack, &mBackColor, m_alignment, drawer, mdAngle,
                mbHasOutline ? &mOutlineColor : nullptr, mbHasOutline ? &mOutlinePen : nullptr);
    if (m_bDropDestination)
        drawer->DrawSelectionDropBox(mdOriginX, mdOriginY, mdSizeX, mdSizeY, mdAngle);
}

void CFTTextBlock::DrawSelection(CDDDrawer *drawer, const CFTACoreView *view)
{
    DrawSelection(drawer, view, false, false);
}

void CFTTextBlock::DrawSelection(CDDDrawer *drawer, const CFTACoreView *view, bool inLinked, bool outLinked)
{
    if (!drawer || m_bIsEditing)
        return;
    drawer->DrawSelectionBox(mdOriginX, mdOriginY, mdSizeX, mdSizeY, mdAngle);
    const double size = view ? view->getDotSize() : 4.5;
    for (int i = 0; i <= 2; ++i) {
        for (int j = 0; j <= 2; ++j) {
            if (i == 1 && j == 1)
                continue;
            double px = mdOriginX + i * mdSizeX / 2.0;
            double py = mdOriginY + j * mdSizeY / 2.0;
            if (mdAngle != 0.0)
                rotatePoint(&px, &py, mdAngle, centerX(), centerY());
            drawer->DrawDot(px - size / 2.0, py - size / 2.0, size, size);
        }
    }
    drawer->DrawSpecialDot(mdOriginX, mdOriginY + mdSizeY / 6.0, centerX(), centerY(), mdAngle, inLinked ? 2 : 0);
    drawer->DrawSpecialDot(mdOriginX + mdSizeX, mdOriginY + 5.0 * mdSizeY / 6.0, centerX(), centerY(), mdAngle,
                           outLinked ? 2 : (mBlock.showsOverflow() ? 1 : 0));
}

void CFTTextBlock::updateCoordWithKoeff(double kx, double ky, double, double)
{
    mdOriginY *= ky;
    if (m_alignment == taRight)
        mdOriginX = (mdOriginX + mdSizeX) * kx - mdSizeX;
    else if (m_alignment == taCenter)
        mdOriginX = (mdOriginX + mdSizeX / 2.0) * kx - mdSizeX / 2.0;
    else
        mdOriginX *= kx;
}

void CFTTextBlock::SetSize(double width, double height)
{
    mdSizeX = width;
    mdSizeY = height;
}

void CFTTextBlock::SetAngle(double angle)
{
    CFTComponent::SetAngle(angle);
    mBlock.alignEditorFrame(angle, mdOriginX, mdOriginY, mdSizeX, mdSizeY);
}

void CFTTextBlock::SetTextColor(const CDDColor *color)
{
    if (!color || mBlock.IsHaveSelect())
        return;
    mBlock.setTextColor(*color);
    mTextColor = *color;
}

void CFTTextBlock::SetFillColor(const CDDColor *color)
{
    if (!color || mBlock.IsHaveSelect())
        return;
    mBackColor = *color;
    m_bFillBack = true;
}

void CFTTextBlock::startEditText(QObject *, QObject *)
{
    if (!m_bIsEditing)
        mdLastAngle = mdAngle;
    SetAngle(0.0);
    m_bIsEditing = true;
    mBlock.startEditing(mdOriginX, mdOriginY, mdSizeX, mdSizeY, mdAngle, m_bFirstInChain, m_bLastInChain);
}

CFTComponent *CFTTextBlock::endEditText(QObject *)
{
    mBlock.endEditing();
    SetAngle(mdLastAngle);
    m_bIsEditing = false;
    return nullptr;
}

void CFTTextBlock::SetString(const CDDString &text)
{
    if (const QTextDocumentFragment *styled = text.getAttributedData()) {
        QTextDocument document;
        QTextCursor(&document).insertFragment(*styled);
        mBlock.setAttributedString(PWAttributedString::fromDocument(&document));
        return;
    }
    // Plain text takes the block's present style.
    const std::optional<QTextCharFormat> style = mBlock.GetFontAttr(nullptr);
    mBlock.setString(text.getData(), style ? &*style : nullptr);
}

void CFTTextBlock::SetObjectData(const PWAttributedString *text)
{
    if (text)
        mBlock.setAttributedString(*text);
}

std::optional<PWFont> CFTTextBlock::GetFont(bool *mixed) const
{
    const std::optional<QFont> font = mBlock.GetFont(mixed);
    if (!font)
        return std::nullopt;
    return PWFont::fromQFont(*font);
}

void CFTTextBlock::activateEditor(QPointF pagePoint, bool showRuler)
{
    CCTextView *editor = mBlock.getEditor();
    const std::shared_ptr<CCBlockLayoutManager> &manager = mBlock.getLayoutManager();
    if (!editor || !manager)
        return;
    // Into the frame's own axes, then the container's, which starts below the inset.
    const QPointF inFrame = intoFrame(pagePoint.x(), pagePoint.y());
    const QRectF area = CDDTextBlock::textArea(mBlock.GetInsetOffset(), mdOriginX, mdOriginY, mdSizeX, mdSizeY, false);
    const int index = manager->characterIndexForPoint(mBlock.getContainer(), inFrame - area.topLeft());
    editor->setSelectedRange({index, 0});
    if (showRuler)
        editor->setRulerVisible(true);
}

const CFTComponent *CFTTextBlock::isTextEqual(const QTextDocument *storage) const
{
    return storage && storage == mBlock.getContents() ? this : nullptr;
}

bool CFTTextBlock::Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *list)
{
    CFTComponent::Serialize(archive, list);
    if (archive.isStoring()) {
        archive.SetData(key_FillBackground, m_bFillBack);
        archive.SetData(key_BackColor, mBackColor);
        archive.SetData(key_HorizontalAlignment, int(m_alignment));
        archive.SetData(key_DontAutoResize, m_bDontAutoResize);
        archive.SetData(key_InsetOffset, mBlock.GetInsetOffset());
        return true;
    }
    archive.GetData(key_FillBackground, &m_bFillBack);
    archive.GetData(key_BackColor, mBackColor);
    int alignment = int(m_alignment);
    if (archive.GetData(key_HorizontalAlignment, &alignment, CDDRanges::kTextAlignment))
        m_alignment = textAlignment(alignment);
    archive.GetData(key_DontAutoResize, &m_bDontAutoResize);
    // An absent inset keeps the block's present one.
    double inset = mBlock.GetInsetOffset();
    archive.GetData(key_InsetOffset, &inset, CDDRanges::kLength);
    mBlock.SetInsetOffset(inset);
    alignEditor();
    return true;
}

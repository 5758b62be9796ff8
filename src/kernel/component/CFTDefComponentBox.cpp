#include "kernel/component/CFTDefComponentBox.h"

#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"

CFTDefComponentBox::CFTDefComponentBox() = default;

CFTDefComponentBox::~CFTDefComponentBox() = default;

void CFTDefComponentBox::Init()
{
    m_outlineColor = CDDColor(0.0f, 0.0f, 0.0f, 1.0f);
    mColor = CDDColor(0.0f, 0.0f, 0.0f, 0.5f);
}

const CDDColor *CFTDefComponentBox::GetStrokeColor() const
{
    return &m_outlineColor;
}

float CFTDefComponentBox::GetStrokeWidth() const
{
    return float(m_outlinePen.GetWidth());
}

bool CFTDefComponentBox::IsFilled()
{
    return m_bIsFilled;
}

bool CFTDefComponentBox::IsStroked()
{
    return m_bIsOutlined;
}

bool CFTDefComponentBox::canFill() const
{
    return true;
}

bool CFTDefComponentBox::canStrok() const
{
    return true;
}

void CFTDefComponentBox::SetFilled(bool filled)
{
    m_bIsFilled = filled;
}

void CFTDefComponentBox::SetStroked(bool stroked)
{
    m_bIsOutlined = stroked;
}

void CFTDefComponentBox::SetFillColor(const CDDColor *color)
{
    if (!color)
        return;
    CFTComponent::SetFillColor(color);
    m_bIsFilled = true;
}

void CFTDefComponentBox::SetStrokeColor(const CDDColor *color)
{
    if (!color)
        return;
    m_outlineColor = *color;
    m_bIsOutlined = true;
}

void CFTDefComponentBox::SetLineWidth(double width)
{
    m_outlinePen.SetWidth(width);
    m_bIsOutlined = true;
}

bool CFTDefComponentBox::Serialize(const CDDArchive &archive, std::vector<CFTComponent *> *)
{
    if (archive.isStoring()) {
        archive.SetData(key_FillBackground, m_bIsFilled);
        archive.SetData(key_Stroke, m_bIsOutlined);
        archive.SetData(key_OutlineColor, m_outlineColor);
        archive.SetData(key_PenWidth, m_outlinePen);
        archive.SetData(key_Color, mColor);
    } else {
        archive.GetData(key_FillBackground, &m_bIsFilled);
        archive.GetData(key_Stroke, &m_bIsOutlined);
        archive.GetData(key_OutlineColor, m_outlineColor);
        archive.GetData(key_PenWidth, m_outlinePen);
        archive.GetData(key_Color, mColor);
    }
    return true;
}

#include "app/printing/CEnvelopeEditorModel.h"

namespace {

constexpr int kWindowTags[] = {CEnvelopeEditorModel::WinWidthTag, CEnvelopeEditorModel::WinHeightTag,
                               CEnvelopeEditorModel::WinBottomOffsetTag, CEnvelopeEditorModel::WinLeftOffsetTag};

} // namespace

QList<int> CEnvelopeEditorModel::tags() const
{
    return {NameTag, DescriptionTag, WidthTag, HeightTag, WinWidthTag, WinHeightTag, WinBottomOffsetTag,
            WinLeftOffsetTag};
}

std::optional<std::pair<double, double>> CEnvelopeEditorModel::range(int tag) const
{
    if (tag == WidthTag || tag == HeightTag)
        return std::make_pair(minimumSize(units()), longestLength());
    // Window sizes and offsets are lengths too: never negative.
    return CTemplateEditorModel::range(tag);
}

void CEnvelopeEditorModel::updateControls()
{
    showText(NameTag, m_format.ID());
    showText(DescriptionTag, m_format.Description());
    showLength(WidthTag, m_format.ItemWidth());
    showLength(HeightTag, m_format.ItemHeight());
    showLength(WinWidthTag, m_format.getWinWidth());
    showLength(WinHeightTag, m_format.getWinHeight());
    showLength(WinBottomOffsetTag, m_format.getWinBottomOffset());
    showLength(WinLeftOffsetTag, m_format.getWinLeftOffset());
    setWindowEnabled(m_format.hasWindow());
}

void CEnvelopeEditorModel::setWindowEnabled(bool on)
{
    for (int tag : kWindowTags) {
        if (!on && !isAcceptable(tag))
            showLength(tag, tag == WinWidthTag          ? m_format.getWinWidth()
                            : tag == WinHeightTag       ? m_format.getWinHeight()
                            : tag == WinBottomOffsetTag ? m_format.getWinBottomOffset()
                                                        : m_format.getWinLeftOffset());
        setEnabled(tag, on);
    }
    m_format.setHasWindow(on);
}

void CEnvelopeEditorModel::apply(int tag)
{
    switch (tag) {
    case NameTag:
        m_format.setID(text(tag));
        break;
    case DescriptionTag:
        m_format.setDescription(text(tag));
        break;
    case WidthTag:
        m_format.setItemWidth(float(lengthValue(tag)));
        break;
    case HeightTag:
        m_format.setItemHeight(float(lengthValue(tag)));
        break;
    case WinWidthTag:
        m_format.setWinWidth(float(lengthValue(tag)));
        break;
    case WinHeightTag:
        m_format.setWinHeight(float(lengthValue(tag)));
        break;
    case WinBottomOffsetTag:
        m_format.setWinBottomOffset(float(lengthValue(tag)));
        break;
    case WinLeftOffsetTag:
        m_format.setWinLeftOffset(float(lengthValue(tag)));
        break;
    default:
        break;
    }
}

void CEnvelopeEditorModel::writeAll()
{
    for (int tag : tags())
        apply(tag);
}

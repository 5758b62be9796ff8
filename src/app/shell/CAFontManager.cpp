#include "app/shell/CAFontManager.h"

#include "kernel/base/CAEnvironment.h"
#include "kernel/render/CDDText.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontDialog>
#include <QMetaMethod>

#include <cmath>

namespace {

double textSize(double size)
{
    return size >= CDDText::kMinFontSize ? size : CDDText::kMinFontSize;
}

// The panel picks its style row by name, and families name their upright style differently
// ("Regular", "Book", "Roman"); without a name it falls back to its first row, which can be an
// oblique one. So the font is given the name of the family's style with its weight and slant;
// of several ("Bold", "Condensed Bold") the plain one, which has the shortest name.
QFont panelFont(const PWFont &font)
{
    QFont face = font.toQFont();
    QString best;
    const QStringList styles = QFontDatabase::styles(face.family());
    for (const QString &style : styles) {
        const QFont candidate = QFontDatabase::font(face.family(), style, qMax(1, qRound(font.pointSize())));
        if (candidate.weight() == face.weight() && candidate.italic() == face.italic()
            && (best.isEmpty() || style.size() < best.size()))
            best = style;
    }
    if (!best.isEmpty())
        face.setStyleName(best);
    return face;
}

CAFontManager *sharedManager = nullptr;

// The font panel is a widget: it has to go while the application object still exists, which a
// function-local static would outlive.
void dropSharedManager()
{
    delete sharedManager;
    sharedManager = nullptr;
}

} // namespace

CAFontManager &CAFontManager::sharedFontManager()
{
    if (!sharedManager) {
        sharedManager = new CAFontManager;
        qAddPostRoutine(&dropSharedManager);
    }
    return *sharedManager;
}

CAFontManager::CAFontManager(QObject *parent)
    : QObject(parent)
{
}

CAFontManager::~CAFontManager()
{
    delete m_fontPanel.data();
}

PWFont CAFontManager::convertFont(const PWFont &font) const
{
    if (_bConvertSize)
        return convertFontToSize(font, _isAbsoluteSize ? double(_dSize) : font.pointSize() + double(_dSize));
    if (!m_panelChange)
        return font;
    QFont face = font.toQFont();
    if (m_panelChange->family)
        face.setFamily(*m_panelChange->family);
    if (m_panelChange->weight)
        face.setWeight(*m_panelChange->weight);
    if (m_panelChange->italic)
        face.setItalic(*m_panelChange->italic);
    const double size = m_panelChange->size ? *m_panelChange->size : font.pointSize();
    const PWFont converted = PWFont::fromQFont(face, font.postScriptName());
    return PWFont(converted.postScriptName(), textSize(size), font.flags());
}

PWFont CAFontManager::convertFontToSize(const PWFont &font, double size) const
{
    return PWFont(font.postScriptName(), textSize(size), font.flags());
}

void CAFontManager::setConvertSizeIsAbsoluteSize(bool convertSize, bool isAbsoluteSize)
{
    _bConvertSize = convertSize;
    _isAbsoluteSize = isAbsoluteSize;
}

void CAFontManager::setFontSize(double size)
{
    _dSize = float(size);
}

void CAFontManager::sendAction()
{
    Q_EMIT changeFont(this);
}

bool CAFontManager::hasTextReceiver() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&CAFontManager::changeFont));
}

void CAFontManager::sendActionWithSize(double size, bool isAbsoluteSize)
{
    // Left on, the forced size would go on changing every later conversion, also the panel's.
    struct SwitchOff
    {
        CAFontManager *manager;
        bool absolute;
        ~SwitchOff() { manager->setConvertSizeIsAbsoluteSize(false, absolute); }
    } switchOff {this, isAbsoluteSize};
    setConvertSizeIsAbsoluteSize(true, isAbsoluteSize);
    setFontSize(size);
    sendAction();
}

void CAFontManager::setSelectedFont(const PWFont &font, bool isMultiple)
{
    Q_EMIT selectedFontSizeChanged(font.pointSize());
    m_selectedFont = font;
    m_isMultiple = isMultiple;
    if (m_fontPanel) {
        const QSignalBlocker quiet(m_fontPanel.data());
        m_fontPanel->setCurrentFont(panelFont(font));
    }
    // The panel's font carries no effects: its switches start off for the new selection.
    m_panelUnderline = false;
    m_panelStrikeOut = false;
}

void CAFontManager::setSelectedAttributesIsMultiple(const QTextCharFormat &attributes, bool isMultiple)
{
    m_selectedAttributes = attributes;
    m_attributesMultiple = isMultiple;
}

void CAFontManager::modifyFontViaPanel(const QFont &chosen)
{
    QTextCharFormat effects;
    if (chosen.underline() != m_panelUnderline)
        effects.setFontUnderline(chosen.underline());
    if (chosen.strikeOut() != m_panelStrikeOut)
        effects.setFontStrikeOut(chosen.strikeOut());
    m_panelUnderline = chosen.underline();
    m_panelStrikeOut = chosen.strikeOut();
    if (!effects.properties().isEmpty()) {
        Q_EMIT changeAttributes(effects);
        return;
    }

    PanelChange change;
    const QFont shown = m_selectedFont ? m_selectedFont->toQFont() : QFont();
    if (!m_selectedFont || chosen.family() != shown.family())
        change.family = chosen.family();
    if (!m_selectedFont || chosen.weight() != shown.weight())
        change.weight = chosen.weight();
    if (!m_selectedFont || chosen.italic() != shown.italic())
        change.italic = chosen.italic();
    const double size = chosen.pointSizeF();
    if (size > 0.0 && (!m_selectedFont || std::abs(size - m_selectedFont->pointSize()) > 1e-6))
        change.size = size;

    // The change holds for this one action only; a later conversion outside a panel action must
    // not pick it up again.
    struct Forget
    {
        std::optional<PanelChange> *change;
        ~Forget() { change->reset(); }
    } forget {&m_panelChange};
    m_panelChange = change;
    if (m_selectedFont)
        m_selectedFont = convertFont(*m_selectedFont);
    sendAction();
}

QFontDialog *CAFontManager::fontPanel()
{
    if (!m_fontPanel) {
        m_fontPanel = new QFontDialog;
        m_fontPanel->setObjectName(QStringLiteral("fontPanel"));
        m_fontPanel->setWindowTitle(tr("Fonts"));
        m_fontPanel->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
        m_fontPanel->setModal(false);
        // A floating panel beside the document windows, not a window of its own in the task bar.
        m_fontPanel->setWindowFlag(Qt::Tool);
        // Until a text is selected the panel shows the font new texts take, not the first
        // family of the list at its smallest size.
        m_fontPanel->setCurrentFont(panelFont(m_selectedFont ? *m_selectedFont : CAEnvironment::defaultFont()));
        connect(m_fontPanel.data(), &QFontDialog::currentFontChanged, this, &CAFontManager::modifyFontViaPanel);
    }
    return m_fontPanel.data();
}

void CAFontManager::orderFrontFontPanel()
{
    QFontDialog *panel = fontPanel();
    panel->show();
    panel->raise();
}

void CAFontManager::closeFontPanel()
{
    if (m_fontPanel)
        m_fontPanel->close();
}

bool CAFontManager::isFontPanelVisible() const
{
    return m_fontPanel && m_fontPanel->isVisible();
}

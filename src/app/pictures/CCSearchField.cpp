#include "app/pictures/CCSearchField.h"

#include "app/pictures/CCSearchFieldCell.h"

#include <QLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>

#include <cmath>

CCSearchField::CCSearchField(QWidget *parent)
    : QLineEdit(parent)
    , m_searchCell(std::make_unique<CCSearchFieldCell>(this))
{
    setFrame(false);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    QPalette transparent = palette();
    transparent.setColor(QPalette::Base, Qt::transparent);
    setPalette(transparent);
    QFont textFont = font();
    textFont.setPointSizeF(12);
    setFont(textFont);
    setFixedHeight(int(CCSearchFieldCell::kBarHeight) + 1);
    m_width = width();
    connect(this, &QLineEdit::textChanged, this, &CCSearchField::textDidChange);
    connect(this, &QLineEdit::returnPressed, this, &CCSearchField::sendAction);
    cellChanged();
}

CCSearchField::~CCSearchField()
{
    if (m_watchedParent)
        m_watchedParent->removeEventFilter(this);
}

bool CCSearchField::drawsFocusRing() const { return m_searchCell->drawsFocusRing(); }
void CCSearchField::setDrawsFocusRing(bool draws) { m_searchCell->setDrawsFocusRing(draws); }
double CCSearchField::maxValue() const { return m_searchCell->maxValue(); }
void CCSearchField::setMaxValue(double value) { m_searchCell->setMaxValue(value); }
double CCSearchField::minValue() const { return m_searchCell->minValue(); }
void CCSearchField::setMinValue(double value) { m_searchCell->setMinValue(value); }
double CCSearchField::doubleValue() const { return m_searchCell->doubleValue(); }
QString CCSearchField::emptyString() const { return m_searchCell->emptyString(); }

void CCSearchField::setDoubleValue(double value)
{
    m_searchCell->setDoubleValue(value);
    // A running search keeps the keyboard out as well as the mouse, also when the field still
    // has the focus it had when the search began.
    setFocusPolicy(value == 0 ? Qt::StrongFocus : Qt::NoFocus);
    setReadOnly(value != 0);
    updateMargins();
}

void CCSearchField::setEmptyString(const QString &placeholder)
{
    m_searchCell->setEmptyString(placeholder);
    cellChanged();
}

void CCSearchField::cellChanged()
{
    setPlaceholderText(m_searchCell->emptyString());
    updateMargins();
    update();
}

void CCSearchField::updateMargins()
{
    const QRectF frame(0, 0, width(), height());
    const QRectF text = m_searchCell->textRectForFrame(frame);
    const int left = int(text.left()) + 2;
    const int right = std::max(0, int(std::ceil(frame.right() - text.right())));
    setTextMargins(left, 0, right, 0);
}

QSize CCSearchField::sizeHint() const
{
    return QSize(std::max(m_width, 160), int(CCSearchFieldCell::kBarHeight) + 1);
}

void CCSearchField::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        const bool editing = hasFocus() && window()->isActiveWindow();
        m_searchCell->drawInterior(painter, width(), editing);
    }
    // The base draws the text (and the grey placeholder of an empty field) over the bar.
    QLineEdit::paintEvent(event);
}

bool CCSearchField::onStopButton(double x) const
{
    return x > width() - CCSearchFieldCell::kStopButtonWidth;
}

void CCSearchField::popupSearchMenu()
{
    m_searchCell->menu()->popup(mapToGlobal(QPoint(0, height() + 6)));
}

void CCSearchField::mousePressEvent(QMouseEvent *event)
{
    m_clearButtonPressed = false;
    const double x = event->position().x();
    const bool running = doubleValue() != 0;
    if (event->button() != Qt::LeftButton) {
        QLineEdit::mousePressEvent(event);
        return;
    }
    if (x <= CCSearchFieldCell::kEndWidth) {
        if (!running)
            setFocus(Qt::MouseFocusReason);
        popupSearchMenu();
        return;
    }
    if (onStopButton(x)) {
        m_clearButtonPressed = true;
        m_searchCell->setClearButtonPressed(true);
        update();
        return;
    }
    // While a search runs the text is not for editing: its progress covers the bar.
    if (running)
        return;
    QLineEdit::mousePressEvent(event);
}

void CCSearchField::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_clearButtonPressed) {
        QLineEdit::mouseMoveEvent(event);
        return;
    }
    const bool inside = onStopButton(event->position().x()) && rect().contains(event->position().toPoint());
    if (inside != m_searchCell->clearButtonPressed()) {
        m_searchCell->setClearButtonPressed(inside);
        update();
    }
}

void CCSearchField::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_clearButtonPressed) {
        QLineEdit::mouseReleaseEvent(event);
        return;
    }
    m_clearButtonPressed = false;
    const bool inside = onStopButton(event->position().x()) && rect().contains(event->position().toPoint());
    if (inside && doubleValue() != 0) {
        setDoubleValue(0);
        Q_EMIT stopRequested();
        setFocus(Qt::MouseFocusReason);
    }
    m_searchCell->setClearButtonPressed(false);
    update();
}

void CCSearchField::mouseDoubleClickEvent(QMouseEvent *event)
{
    const double x = event->position().x();
    if (doubleValue() != 0 || x <= CCSearchFieldCell::kEndWidth || onStopButton(x)) {
        // A second click on the menu or the button is another press of it.
        mousePressEvent(event);
        return;
    }
    QLineEdit::mouseDoubleClickEvent(event);
}

void CCSearchField::focusInEvent(QFocusEvent *event)
{
    // Typing a new search hides the old search's progress.
    m_searchCell->setDrawProgress(false);
    showPlaceholder(false);
    QLineEdit::focusInEvent(event);
    update();
}

void CCSearchField::focusOutEvent(QFocusEvent *event)
{
    m_searchCell->setDrawProgress(true);
    showPlaceholder(true);
    QLineEdit::focusOutEvent(event);
    update();
}

void CCSearchField::showPlaceholder(bool shown)
{
    // The grey placeholder shows only while the field is not being edited; the text stays the
    // field's placeholder either way.
    QPalette colours = palette();
    if (!shown && !m_placeholderColour)
        m_placeholderColour = colours.color(QPalette::PlaceholderText);
    if (shown && !m_placeholderColour)
        return;
    colours.setColor(QPalette::PlaceholderText, shown ? *m_placeholderColour : QColor(Qt::transparent));
    setPalette(colours);
}

bool CCSearchField::showsPlaceholder() const
{
    return !placeholderText().isEmpty() && palette().color(QPalette::PlaceholderText).alpha() > 0;
}

void CCSearchField::textDidChange(const QString &text)
{
    m_searchCell->setLength(uint(text.size()));
    update();
    if (m_searchCell->hasSimpleMode())
        Q_EMIT searchText(this);
}

void CCSearchField::sendAction()
{
    // Return ends the editing: the progress of the search it starts shows at once.
    m_searchCell->setDrawProgress(true);
    update();
    if (m_searchCell->mode() == CCSearchFieldCell::Mode::Internet && !m_searchCell->hasSimpleMode())
        Q_EMIT searchInternet(this);
    else
        Q_EMIT searchText(this);
}

void CCSearchField::followSuperview()
{
    if (m_watchedParent)
        m_watchedParent->removeEventFilter(this);
    m_watchedParent = parentWidget();
    m_width = width();
    if (m_watchedParent)
        m_watchedParent->installEventFilter(this);
}

void CCSearchField::superviewWidthChanged(int delta)
{
    m_width += delta;
    if (m_width > kMinimumFollowWidth)
        resize(m_width, height());
}

bool CCSearchField::placedByLayout() const
{
    const QWidget *parent = parentWidget();
    return parent && parent->layout() && parent->layout()->indexOf(const_cast<CCSearchField *>(this)) >= 0;
}

void CCSearchField::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    // The layout has the last word on a field it places (it sizes the field before any filter of
    // the container's resize runs): what it gives is the width the field follows from.
    if (placedByLayout())
        m_width = width();
}

bool CCSearchField::eventFilter(QObject *watched, QEvent *event)
{
    // The kind first: the parent is compared through its guarded pointer, which casts it.
    if (event->type() == QEvent::Resize && watched == m_watchedParent && !placedByLayout()) {
        auto *resize = static_cast<QResizeEvent *>(event);
        if (resize->oldSize().isValid())
            superviewWidthChanged(resize->size().width() - resize->oldSize().width());
    }
    return QLineEdit::eventFilter(watched, event);
}

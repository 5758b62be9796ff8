#pragma once

#include <QRectF>
#include <QSizeF>
#include <QToolButton>

// One button of the document window's tool bar, drawn as a piece of one segmented bar: the
// background is chosen by the button's position (its tag divided by ten: 1 left, 3 right, else
// the middle) and state, stretched to the button's width, with the tool's icon centred on it.
class CModeCell : public QToolButton
{
    Q_OBJECT
public:
    explicit CModeCell(QWidget *parent = nullptr);

    // "left", "mid" or "right", then "_normal", "_mouse", "_s2b" or "_s2b_mouse".
    static QString getFileName(int tag, bool highlighted, bool on);
    // Where the icon goes in a cell's frame, before pixel alignment.
    static QRectF iconRect(const QRectF &frame, const QSizeF &iconSize);

    void setTag(int tag);
    int tag() const { return m_tag; }
    // The tool mode this button selects.
    void setMode(int mode) { m_mode = mode; }
    int mode() const { return m_mode; }
    // The bundle image of the icon, an SVG below ":/bundle/ModeCell/".
    void setIconName(const QString &name);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_tag = 0;
    int m_mode = 0;
    QString m_iconName;
};

#pragma once

#include <QColor>
#include <QPointer>
#include <QToolButton>

class QColorDialog;

// A swatch that shows a colour and, once clicked, is the one receiver of the colour panel until
// the panel closes or another well is clicked. Only the user's choices in the panel are told
// (colorChosen); showing a colour tells nothing.
class CAColorWell : public QToolButton
{
    Q_OBJECT
public:
    explicit CAColorWell(QWidget *parent = nullptr);
    ~CAColorWell() override;

    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    bool isActive() const;
    void activate();
    void deactivate();
    // The panel the wells share: the application's colour panel once it is given, else one of
    // the wells' own, made on first use.
    static QColorDialog *colorPanel();
    // The application's colour panel (not owned), which the wells then use instead of their own.
    static void setSharedColorPanel(QColorDialog *panel);

Q_SIGNALS:
    void colorChosen(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QColor m_color = Qt::transparent;
    QMetaObject::Connection m_panelConnection;
};

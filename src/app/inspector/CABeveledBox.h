#pragma once

#include <QFrame>

// A box drawn only from eight frame pictures around a translucent white interior; the custom
// address-format editor frames its two field grids with it. Its content keeps 7 points clear.
class CABeveledBox : public QFrame
{
    Q_OBJECT
public:
    explicit CABeveledBox(QWidget *parent = nullptr);
    static QMargins contentViewMargins() { return QMargins(7, 7, 7, 7); }
    // Draws the frame of a box of that size; the corners at their own size, the edges stretched.
    static void drawBevel(QPainter &painter, const QSize &size);

protected:
    void paintEvent(QPaintEvent *event) override;
};

#pragma once

#include <QAbstractButton>

// A small two-state button drawn entirely from three pictures ("button_1" off, "button_3" on,
// "button_2" pressed) stretched over the button, with its title centred in the small font.
class CAToggleButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit CAToggleButton(QWidget *parent = nullptr);
    explicit CAToggleButton(const QString &title, QWidget *parent = nullptr);

    void setState(int state) { setChecked(state != 0); }
    int state() const { return isChecked() ? 1 : 0; }
    // The picture the button shows now.
    QString currentImageName() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

#pragma once

#include <QWidget>

class QCheckBox;
class QToolButton;

// A three-state switch: an Auto toggle with a check box overlapping it by four points. Its state
// is -1 while automatic, else the check box's 1 (on) or 0 (off); the check box keeps its own
// state while automatic mode disables it, so that leaving automatic mode brings it back.
class CAAutoToggleButton : public QWidget
{
    Q_OBJECT
public:
    explicit CAAutoToggleButton(QWidget *parent = nullptr);

    // -1, 1 or 0; any other value changes nothing.
    void setState(int state);
    int state() const;
    // Sets the check box without touching automatic mode.
    void setCheck(bool on);
    bool isAutoMode() const { return m_isAutoMode; }
    QToolButton *autoButton() const { return m_autoBtn; }
    QCheckBox *checkBox() const { return m_radioBtn; }
    QSize sizeHint() const override;

Q_SIGNALS:
    // After every click on either part; the owner reads the new state().
    void clicked();

protected:
    void changeEvent(QEvent *event) override;

private:
    void onClick(int tag);
    void showAutoImage();

    QToolButton *m_autoBtn;
    QCheckBox *m_radioBtn;
    bool m_isAutoMode = false;
};

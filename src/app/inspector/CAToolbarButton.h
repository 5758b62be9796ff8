#pragma once

#include <QToolButton>

// A button that shows its picture's "_hi" face while the mouse is over it. A button that is on
// and has an alternate picture shows that one, and the hover face (or "_2" when the mouse
// leaves) replaces the alternate picture instead.
class CAToolbarButton : public QToolButton
{
    Q_OBJECT
public:
    explicit CAToolbarButton(QWidget *parent = nullptr);

    // The base name the hover and "_2" faces are named after; shown at once.
    void setImageName(const QString &name);
    QString imageName() const { return m_baseName; }
    void setAlternateImageName(const QString &name);
    QString currentImageName() const { return m_image; }
    QString currentAlternateImageName() const { return m_alternate; }
    // The picture on the button now: the alternate one while the button is on and has one.
    QString shownImageName() const;

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    bool showsAlternate() const { return isChecked() && !m_alternate.isEmpty(); }
    void setFace(const QString &name);
    void refreshIcon();

    QString m_baseName;
    QString m_image;
    QString m_alternate;
};

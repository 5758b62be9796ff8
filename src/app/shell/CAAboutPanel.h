#pragma once

#include <QDialog>

class QKeyEvent;
class QMouseEvent;

// The borderless About panel. Every key press and every left or right mouse press anywhere in it,
// also over its child widgets, goes to its delegate first, and stays there when the delegate
// takes it; becoming the active window is told to the delegate as well.
class CAAboutPanel : public QDialog
{
    Q_OBJECT
public:
    class Delegate
    {
    public:
        virtual ~Delegate() = default;
        // True when the event is taken; the panel then gives it to nobody else.
        virtual bool handlesKeyDown(QKeyEvent *event, CAAboutPanel *panel) = 0;
        virtual bool handlesMouseDown(QMouseEvent *event, CAAboutPanel *panel) = 0;
        virtual void windowDidBecomeKey(CAAboutPanel *panel) = 0;
    };

    explicit CAAboutPanel(QWidget *parent = nullptr);
    ~CAAboutPanel() override;

    void setDelegate(Delegate *delegate) { m_delegate = delegate; }
    Delegate *delegate() const { return m_delegate; }

    // Puts the view in as the panel's whole content, sized as the view is.
    void setContentView(QWidget *view);
    QWidget *contentView() const { return m_contentView; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool sendToDelegate(QEvent *event);

    Delegate *m_delegate = nullptr;
    QWidget *m_contentView = nullptr;
    bool m_filtering = false;
};

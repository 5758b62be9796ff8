#pragma once

#include <QWidget>

class QTextBrowser;

// The read-only window with the postal guidelines for addressing mail, the bundle's
// "PostalGuidelines.html". One shared window; its text is read once, at the first showing.
class CAGuidelinesController : public QWidget
{
    Q_OBJECT
public:
    static CAGuidelinesController &sharedGuidelinesController();

    explicit CAGuidelinesController(QWidget *parent = nullptr);

    // Shows (and raises) the window; the first showing loads the text and centres the window.
    void showWindow();
    void closeWindow() { close(); }
    QTextBrowser *textView() const { return m_textView; }
    // How many times the text was read (once at most while the resource is there).
    int loadCount() const { return m_loadCount; }

protected:
    // Escape closes the window, as its Close button does.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void loadText();

    QTextBrowser *m_textView;
    bool m_loaded = false;
    int m_loadCount = 0;
};

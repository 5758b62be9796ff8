#pragma once

#include <QMainWindow>
#include <QUrl>

class PWBundle;
class QAction;
class QTextBrowser;

// The help book's reader: one window showing the bundle's help pages (HTML in the folder that the
// Info dictionary names under "CFBundleHelpBookFolder"), with back, forward and home. Links to
// pages outside the book open in the desktop's browser.
class CAHelpWindow : public QMainWindow
{
    Q_OBJECT
public:
    static CAHelpWindow &sharedHelpWindow();

    explicit CAHelpWindow(const PWBundle &bundle, QWidget *parent = nullptr);
    ~CAHelpWindow() override;

    // The help book folder of the bundle; empty when the key or the folder is missing.
    static QString helpBookPath(const PWBundle &bundle);
    // The book's folder and the page name joined by "/"; an empty name stands for the folder.
    QString pathForPage(const QString &pageName) const;

    // Shows the window at the page (the book's first page for the folder itself); false, and
    // the window left as it was, when there is no such page.
    bool showPage(const QString &pageName);

    void goBack();
    void goForward();
    void goHome();

    QUrl currentPage() const;
    QUrl homePage() const;
    QTextBrowser *browser() const { return m_browser; }
    QAction *backAction() const { return m_back; }
    QAction *forwardAction() const { return m_forward; }
    QAction *homeAction() const { return m_home; }

    static constexpr const char *kIndexPage = "index.html";

private:
    static QUrl urlForPath(const QString &path);

    QString m_bookPath;
    QTextBrowser *m_browser = nullptr;
    QAction *m_back = nullptr;
    QAction *m_forward = nullptr;
    QAction *m_home = nullptr;
};

// Opens a page of the application's help book in the help window; reports nothing when there
// is no such page.
void GoToMyHelpAnchor(const QString &pageName);

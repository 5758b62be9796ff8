#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <vector>

class CFTComponent;
class CLinkTextView;

// The strip under a document's page that shows, for the selected picture that came from the
// internet, a link to the web page the picture was found on. Whoever makes it tells it of each
// selection change of its page (updateInternet); the first selected component with a web-page
// address gives the link, and a selection without one leaves the link shown. A click opens the page in the desktop's browser,
// for http and https addresses only.
class CInternetView : public QWidget
{
    Q_OBJECT

public:
    using SelectionSource = std::function<std::vector<CFTComponent *>()>;
    using LinkOpener = std::function<bool(const QUrl &url)>;

    explicit CInternetView(QWidget *parent = nullptr);

    // How to ask the page for its selected components, in selection order.
    void setSelectionSource(SelectionSource selection) { m_selection = std::move(selection); }
    // Replaces the desktop's browser (tests).
    void setLinkOpener(LinkOpener opener) { m_opener = std::move(opener); }

    CLinkTextView *urlField() const { return m_URLField; }
    const QString &currentURL() const { return m_strURL; }
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    // How many times the link text was built (each change of address once).
    int linkBuildCount() const { return m_builds; }

    // The page's selection changed: shows the link of its first internet picture, if any.
    void updateInternet();
    // Opens url through opener when it is an http or https address; answers whether it did.
    static bool openLink(const QUrl &url, const LinkOpener &opener);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    CLinkTextView *m_URLField;
    SelectionSource m_selection;
    LinkOpener m_opener;
    QString m_strURL;
    int m_tag = 0;
    int m_builds = 0;
};

#pragma once

#include <QCursor>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class CDDPicture;
class PWImage;
class QWidget;

// Loads the whole picture behind an internet search result before a pane places it: the result's
// thumbnail, named "PREFIX_URL_NEED_LOAD <picture> <page>", goes to the kernel's download of
// internet pictures (http and https only, size-capped), and the picture comes back named
// "PREFIX_URL_LOADED <picture> <page>", or an error that says why not. One load at a time; a new
// one cancels the one before, whose answer then never comes, and a request for the picture that is
// already loading is ignored, so that it is loaded once. Answers always come from the event
// loop, never from within start(). While a load runs its busy widget shows the busy cursor; the
// cursor the widget had comes back as the load ends, however it ends.
class CCInternetPictureLoad : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(std::shared_ptr<PWImage> picture, const QString &error)>;

    explicit CCInternetPictureLoad(QObject *parent = nullptr);
    ~CCInternetPictureLoad() override;

    // Answers false, and changes nothing, when the thumbnail's picture is the one loading.
    bool start(std::shared_ptr<PWImage> thumbnail, Done done);
    void cancel();
    bool isRunning() const { return m_picture != nullptr; }
    // The widget that shows the load is working; none unless set.
    void setBusyWidget(QWidget *widget);

    // The message for a picture that could not be loaded from address.
    static QString failureMessage(const QString &address);

private:
    void finish();
    void showBusy();
    void endBusy();

    std::unique_ptr<CDDPicture> m_picture;
    QString m_address;
    QString m_reference;
    QPointer<QWidget> m_busyWidget;
    bool m_busyShown = false;
    bool m_hadCursor = false;
    QCursor m_previousCursor;
    Done m_done;
    int m_observer = -1;
    bool m_finishQueued = false;
};

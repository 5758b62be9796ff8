#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class CDDPicture;
class PWImage;

// Loads the whole picture behind an internet search result before a pane places it: the result's
// thumbnail, named "PREFIX_URL_NEED_LOAD <picture> <page>", goes to the kernel's download of
// internet pictures (http and https only, size-capped), and the picture comes back named
// "PREFIX_URL_LOADED <picture> <page>", or an error that says why not. One load at a time; a new
// one cancels the one before, whose answer then never comes. Answers always come from the
// event loop, never from within start().
class CCInternetPictureLoad : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(std::shared_ptr<PWImage> picture, const QString &error)>;

    explicit CCInternetPictureLoad(QObject *parent = nullptr);
    ~CCInternetPictureLoad() override;

    void start(std::shared_ptr<PWImage> thumbnail, Done done);
    void cancel();
    bool isRunning() const { return m_picture != nullptr; }

    // The message for a picture that could not be loaded from address.
    static QString failureMessage(const QString &address);

private:
    void finish();

    std::unique_ptr<CDDPicture> m_picture;
    QString m_address;
    Done m_done;
    int m_observer = -1;
    bool m_finishQueued = false;
};

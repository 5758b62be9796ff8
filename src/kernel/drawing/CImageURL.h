#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class CDDPicture;
class QNetworkAccessManager;


// Downloads the full image of an internet picture whose preview is named
// "PREFIX_URL_NEED_LOAD <url> <site>", names it "PREFIX_URL_LOADED <url> <site>", keeps its bytes
// in the temporary folder and hands both to the picture. Every ending (success, failure,
// time-out, cancellation) ends the picture's loading state and lets it post its notification.
//
// Only http and https are fetched, redirects are followed while they stay as safe, the body is
// capped, and the file name comes from the URL's last path component reduced to safe characters.
class CImageURL : public QObject
{
    Q_OBJECT
public:
    // The default time-out and body cap; both may be changed (tests use short ones).
    static constexpr int kDefaultTimeoutMs = 60000;
    static constexpr qint64 kDefaultMaxBytes = 64 * 1024 * 1024;
    static void setTimeoutMs(int milliseconds);
    static int timeoutMs();
    static void setMaxBytes(qint64 bytes);
    static qint64 maxBytes();
    // The whole download, however steadily bytes trickle in (the time-out above counts only a
    // silence between two of them).
    static constexpr int kDefaultDeadlineMs = 300000;
    static void setDeadlineMs(int milliseconds);

    // Ends reply after milliseconds whatever it is doing; passedDeadline then tells its ending
    // from any other. For every request to an outside server, whose pace it decides.
    static void setDeadline(QNetworkReply *reply, int milliseconds);
    static bool passedDeadline(const QNetworkReply *reply);

    // Null when field 1 of the name is no absolute http or https URL.
    static CImageURL *create(CDDPicture *picture, const QString &imageName);
    ~CImageURL() override;

    void startLoading();
    void cancelLoading();
    void pictureReleased() { m_picture = nullptr; }
    bool isRunning() const { return m_reply != nullptr; }
    const QUrl &url() const { return m_imageURL; }

    // A file name for the bytes of url: its last path component in letters, digits, '.', '-'
    // and '_', without leading dots, at most 100 characters; "picture" when nothing is left.
    static QString fileNameForURL(const QUrl &url);

private:
    CImageURL(CDDPicture *picture, const QString &imageName, const QUrl &url);
    void endWithoutImage();
    void replyReadyRead();
    void replyFinished();
    void finishLoading();

    QUrl m_imageURL;
    QString m_strImageName;
    CDDPicture *m_picture = nullptr;
    QNetworkAccessManager *m_manager = nullptr;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_receivedData;
    bool m_overflow = false;
};

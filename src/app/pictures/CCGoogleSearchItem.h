#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class CCGoogleSearch;
class QNetworkAccessManager;
#include <QNetworkReply>

// One picture of an internet search answer: where its thumbnail and the picture lie and the page
// that shows it. It loads its thumbnail when asked and tells its search once the load ended,
// whether the bytes arrived or not.
class CCGoogleSearchItem : public QObject
{
    Q_OBJECT

public:
    // A thumbnail larger than this is no thumbnail.
    static constexpr qint64 kMaxThumbnailBytes = 2 * 1024 * 1024;

    CCGoogleSearchItem(const QUrl &thumbnail, const QUrl &image, const QString &webSite, QObject *parent = nullptr);
    ~CCGoogleSearchItem() override;

    void setDelegate(CCGoogleSearch *search) { m_delegate = search; }
    CCGoogleSearch *delegate() const { return m_delegate; }
    const QUrl &urlThumbnail() const { return m_urlThumbnail; }
    const QUrl &urlImage() const { return m_urlImage; }
    const QString &getWebSite() const { return m_strWebSite; }
    // The thumbnail's bytes once loaded, else empty.
    const QByteArray &getData() const { return m_receivedData; }
    bool isLoading() const { return m_reply != nullptr || m_refused != nullptr; }

    // Requests the thumbnail through manager; an address that is no http or https address is
    // never requested and ends at once as a failed load.
    void startLoading(QNetworkAccessManager *manager, int timeoutMs);
    // Cancels the request without telling the delegate.
    void stopLoading();

private:
    void replyReadyRead();
    void replyFinished();
    void finish(bool loaded);

    QUrl m_urlThumbnail;
    QUrl m_urlImage;
    QString m_strWebSite;
    CCGoogleSearch *m_delegate = nullptr;
    QPointer<QNetworkReply> m_reply;
    QPointer<QTimer> m_refused;
    QByteArray m_receivedData;
    bool m_overflow = false;
};

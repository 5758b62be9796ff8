#pragma once

#include <QImage>
#include <QSet>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

class PWImage;
class QImageReader;

// Turns the textual image reference of a catalogue cell into a picture: a name in the image
// registry, a clip-art thumbnail, a clip-art file or any other picture file ("PREFIX_FILE" plus
// its path). Pictures are read only when a cell is first drawn, and every read is bounded: a file
// that is no regular file, too long, not a picture, damaged or of absurd pixel size gives nothing,
// and the cell shows its plate and caption alone.
class CCPictImageResolver
{
public:
    static inline const QString kFilePrefix = QStringLiteral("PREFIX_FILE");
    // An internet result whose picture is still to be downloaded: "<prefix><address> <page>".
    static inline const QString kUrlPrefix = QStringLiteral("PREFIX_URL_NEED_LOAD ");
    // What the name of every internet picture begins with, downloaded or not.
    static inline const QString kInternetPrefix = QStringLiteral("PREFIX_URL");
    static inline const QString kLoading = QStringLiteral("loading");
    static inline const QString kFullSizePrefix = QStringLiteral("FULLSIZE_");
    // Beyond this many pixels a picture file is refused rather than decoded.
    static constexpr qint64 kMaxPicturePixels = qint64(64) * 1024 * 1024;
    static constexpr int kMaxPictureSide = 32768;
    // A picture file declaring more pixels than this is decoded in the background: decoding it
    // takes long enough (a third of a second for a photograph) to stall the window.
    static constexpr qint64 kBackgroundDecodePixels = qint64(2048) * 2048;

    // The clip-art folders of the environment.
    CCPictImageResolver();
    ~CCPictImageResolver();
    CCPictImageResolver(const CCPictImageResolver &) = delete;
    CCPictImageResolver &operator=(const CCPictImageResolver &) = delete;

    QString clipArtPath() const { return m_clipArtPath; }
    QString thumbClipArtPath() const { return m_thumbClipArtPath; }
    void setClipArtFolders(const QString &images, const QString &thumbnails);

    // The picture for reference, read to fit area (twice its size, for dense screens) when it
    // comes from a picture file. Null when nothing is found; that is logged once per reference.
    // Null too while a large picture is decoded in the background; the decoded handler is called
    // on this thread when it is ready, and the next call answers it.
    std::shared_ptr<PWImage> resolve(const QString &reference, const QSizeF &area);
    void setDecodedHandler(std::function<void()> handler);
    // Pictures being decoded in the background.
    bool isDecoding() const;
    // Whether the miss of reference was logged.
    bool hasLoggedMissing(const QString &reference) const { return m_loggedMissing.contains(reference); }
    qsizetype loggedMissingCount() const { return m_loggedMissing.size(); }

    // A bitmap file read through Qt's image readers, scaled down to fit fitInto when that is
    // valid. Null, with a reason, for a path that is no regular file, a file over the image
    // limit, a format no reader knows, a pixel size beyond the limits above or undecodable data.
    static QImage readBoundedPicture(const QString &path, const QSize &fitInto, QString *why = nullptr);
    // The same for picture bytes (a downloaded thumbnail): decoded reduced to fitInto, never at
    // full size first; fullSize (when given) gets the size the picture declares.
    static QImage decodeBoundedPicture(const QByteArray &bytes, const QSize &fitInto, QSize *fullSize = nullptr,
                                       QString *why = nullptr);
    // An application image drawn from its SVG resource ":/bundle/Images/<name>.svg" at its own
    // size, kept after the first call; null when there is no such resource.
    static QImage bundleImage(const QString &name);

private:
    struct Background;

    std::shared_ptr<PWImage> readPictureFile(const QString &path, const QSizeF &area, bool *pending) const;
    // A large bitmap file decoded apart from the window's thread: the picture once it is ready.
    QImage decodeInBackground(const QString &path, const QSize &fitInto, bool *pending) const;
    // folder + "/" + relative, or empty when relative reaches outside folder.
    static QString inside(const QString &folder, const QString &relative);
    // The bounded, reduced reading both kinds of source share.
    static QImage readBounded(QImageReader &reader, const QSize &fitInto, QSize *fullSize, QString *why);

    QString m_clipArtPath;
    QString m_thumbClipArtPath;
    QSet<QString> m_loggedMissing;
    std::shared_ptr<Background> m_background;
};

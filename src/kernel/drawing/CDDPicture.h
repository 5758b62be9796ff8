#pragma once

#include "kernel/drawing/CDDPictureSource.h"
#include "kernel/base/CDDOwnState.h"
#include "kernel/base/CDDString.h"
#include "kernel/base/FTComponentTypes.h"
#include "platform/PWPlist.h"

#include <QImage>
#include <QLoggingCategory>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>

class CDDColor;
class CDDDrawer;
class CDDPen;
class PWColor;
class QPainter;

Q_DECLARE_LOGGING_CATEGORY(lcPicture)

// The image a picture component shows, with where it came from: its name carries the origin
// ("FULLSIZE_", "PREFIX_FILE", "PREFIX_URL_NEED_LOAD", ...), the data reference names the file
// that holds its bytes for the document, an optional source rectangle crops it (image units,
// origin at the image's lower-left corner), and a running internet download replaces a preview
// by the full image. The screen path of drawing keeps its cache bitmap here.
//
// A loader, when one exists, never outlives its picture's interest in it: the picture detaches
// and cancels it before it lets go of it.
class CDDPicture : private CDDPictureSource
{
    friend class CDDPictureSource;

public:
    CDDPicture();
    // Holds the image as it is: no name is examined and no download starts until setData.
    explicit CDDPicture(std::shared_ptr<PWImage> image);
    // A copy takes the other's image as setData does (a preview starts its own download) and its
    // data reference. The crop and the loading state of the other are not copied: a new copy
    // starts without them and an assigned picture keeps its own; its cache starts afresh or is
    // marked stale.
    CDDPicture(const CDDPicture &other) = default;
    CDDPicture &operator=(const CDDPicture &other) = default;
    ~CDDPicture();

    // Replaces the image; a picture given an image is no longer a missing one.
    void setData(std::shared_ptr<PWImage> image);
    const std::shared_ptr<PWImage> &getData() const { return mImage; }
    double getImageSizeX() const;
    double getImageSizeY() const;
    // Field 0 of the image name (the whole name without a blank); null without a name.
    QString getPrefix() const;
    // Fields 1 and 2 of an internet picture's name; null otherwise.
    QString getURL() const { return mURL; }
    QString getWebSiteURL() const { return mWebSite; }

    // A content-library picture the design names that no folder of the library holds: it has
    // no image, its name goes back into the file when the design is saved, and it is drawn as
    // a placeholder that the job under way is told of. Empty for every other picture.
    void setMissingName(const QString &name) { mMissingName = name; }
    const QString &missingName() const { return mMissingName; }
    // A stored picture that does not read (a damaged image archive, a value of another kind): it
    // has no image, the value goes back into the file as it was when the design is saved, and it
    // is drawn as a placeholder that the job under way is told of. Null for every other picture.
    void setUnreadStored(const PWPlist &stored) { mUnreadStored = stored; }
    const PWPlist &unreadStored() const { return mUnreadStored; }
    // Whether the picture stands for a part of the file it could not draw (a missing name or an
    // unread stored value), which a save writes back as it was.
    bool keepsUnreadPart() const { return !mMissingName.isEmpty() || !mUnreadStored.isNull(); }

    void setDataRef(const CDDString &reference) { mDataRef = reference.getData(); }
    CDDString getDataRef() const { return CDDString(mDataRef.isNull() ? QString(QLatin1String("")) : mDataRef); }
    // The picture file a data reference names (an "hpi" container or any picture file), else the
    // same file in the backup copy of its document folder ("B~.E" beside "B.E"); null when
    // neither reads. The picture itself does not change.
    static std::shared_ptr<PWImage> getDataFromRef(const CDDString &reference);
    // Makes sure the temporary folder holds a copy of the picture's data file under the data
    // reference's file name; maskName, when given, is a file of the mask folder to fall back to.
    bool prefetchData(const CDDString *maskName);

    void setSrcRect(float x, float y, float width, float height);
    // Clears the flag only: the values stay and the cache is not marked stale.
    void clearSrcRect() { mCrop.value.has = false; }
    bool hasSrcRect() const { return mCrop.value.has; }
    float getSrcRectX() const { return mCrop.value.rect[0]; }
    float getSrcRectY() const { return mCrop.value.rect[1]; }
    float getSrcRectWidth() const { return mCrop.value.rect[2]; }
    float getSrcRectHeight() const { return mCrop.value.rect[3]; }

    // --- the download side --------------------------------------------------------------------
    bool isLoading() const { return mbLoading; }
    void setLoading(bool loading) { mbLoading = loading; }
    const CImageURL *getLoader() const { return mLoader.get(); }
    // The downloaded full image replaces the preview; the crop is rescaled to its size.
    void setLoadedImage(std::shared_ptr<PWImage> image);
    void updateCash() { mCache.dirty = true; }
    // Marks the cache stale and posts "ImageHasLoadedFromInternet" (the URL in the user info
    // under "URL", the picture as object).
    void updateImage();
    using CDDPictureSource::UpdateNameCash;
    // The owning component is being deleted: stop a running download.
    void onDelete();

    // --- drawing ------------------------------------------------------------------------------
    // Draws the picture into the frame (design points, y down) by placing mode, tinted, masked,
    // translucent, turned and mirrored, then strokes the frame when a colour or pen is given.
    void draw(double x, double y, double width, double height, bool masked, CDDPicture *mask, bool tinted,
              CDDColor *tint, float opacity, CDDDrawer *drawer, placingMode mode, double angle, bool flipX,
              bool flipY, bool fitRotated, float tileScale, CDDColor *strokeColor, CDDPen *strokePen);
    // The size of one tile in points for a tile scale (area); empty when it cannot be computed.
    QSizeF tileSize(float tileScale, const float *srcRect) const;
    // The cache bitmap of the screen path and the pixel part of it the picture uses.
    const QImage &cacheImage() const { return mCache.image; }
    QSizeF cacheSize() const { return QSizeF(mCache.size[0], mCache.size[1]); }
    int cacheBuildCount() const { return mCache.builds; }

    // Joins a name read from outside (a document, a pasteboard) to a folder; empty when the name
    // is empty, absolute or reaches outside the folder.
    static QString pathInsideFolder(const QString &folder, const QString &name);
    // A name read from outside as a report may show it: on one line, without control
    // characters, cut short when long.
    static QString nameForUser(const QString &name);

private:
    // The screen path's bitmap and what it was made for. It travels with no copy: a copy starts
    // without one, and a picture assigned another's image keeps its bitmap, marked stale.
    struct Cache
    {
        Cache() = default;
        Cache(const Cache &) { }
        Cache &operator=(const Cache &other)
        {
            if (this != &other)
                dirty = true;
            return *this;
        }

        QImage image;
        bool dirty = true;
        const PWImage *mask = nullptr;
        std::shared_ptr<const PWColor> tint;
        float size[2] = {0.0f, 0.0f};
        float opacity = 0.0f;
        int builds = 0;
    };

    // The source rectangle (image units, origin at the lower-left corner) and whether it is set.
    struct Crop
    {
        bool has = false;
        float rect[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    };

    bool loadFromDataRefIfMissing();
    // The placeholder of a missing picture over the frame, turned with it.
    void drawMissing(double x, double y, double w, double h, double angle, CDDDrawer *drawer) const;
    void drawScreen(double x, double y, double w, double h, bool masked, CDDPicture *mask, bool tinted,
                    CDDColor *tint, float opacity, CDDDrawer *drawer, placingMode mode, double angle, bool flipX,
                    bool flipY, const float *srcRect, float tileScale);
    void drawPrinter(double x, double y, double w, double h, bool masked, CDDPicture *mask, bool tinted,
                     CDDColor *tint, float opacity, CDDDrawer *drawer, placingMode mode, double angle, bool flipX,
                     bool flipY, const float *srcRect, float tileScale);
    // The crop in y-down points of the image; empty for the whole image.
    QRectF sourceRectDown(const float *srcRect) const;
    // Draws the image (through the crop) into target, or tiles of tileSize from target's
    // lower-left corner when tiles is set.
    void paintImage(QPainter &painter, const QRectF &target, const float *srcRect, double resolution,
                    const QSizeF *tiles) const;

    QString mDataRef;
    QString mMissingName;
    PWPlist mUnreadStored;
    Cache mCache;
    // Set by the component framing the image; not part of the image a copy takes.
    CDDOwnState<Crop> mCrop;
};

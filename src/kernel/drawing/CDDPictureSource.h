#pragma once

#include <QString>

#include <memory>

class CDDPicture;
class CImageURL;
class PWImage;

// The image a picture shows and the download that may replace it: the image, the internet
// fields of its name and the loader of its full image. It is a part of CDDPicture alone (a base,
// so that it knows the picture its loader reports to), and its copy is that of setData: a copy
// takes the other's image, drops its own download, reads the internet fields from the name, and a
// preview starts a download of its own, bound to the picture being made or assigned. A running
// download is never copied.
class CDDPictureSource
{
    friend class CDDPicture;

    struct LoaderDeleter
    {
        void operator()(CImageURL *loader) const;
    };

    CDDPictureSource() = default;
    explicit CDDPictureSource(std::shared_ptr<PWImage> image)
        : mImage(std::move(image))
    {
    }
    CDDPictureSource(const CDDPictureSource &other);
    CDDPictureSource &operator=(const CDDPictureSource &other);
    // Takes the image's name out of the registry when this was its last holder, and releases and
    // cancels a running download.
    ~CDDPictureSource();

    // Everything of setData but the drawing cache, which is the picture's.
    void take(std::shared_ptr<PWImage> image);
    void dropLoader();
    void UpdateNameCash();
    // The last holder takes the name out of the registry before the image goes.
    static void giveUp(std::shared_ptr<PWImage> &image);
    // Field index of a name's blank-separated fields; null past the last.
    static QString nameField(const QString &name, int index);

    bool mbLoading = false;
    std::shared_ptr<PWImage> mImage;
    std::unique_ptr<CImageURL, LoaderDeleter> mLoader;
    QString mURL;
    QString mWebSite;
};

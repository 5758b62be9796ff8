#include "app/pictures/CAShapeBrowserView.h"

#include "app/pictures/CCPictCatalog.h"
#include "app/pictures/CCPictCatalogView.h"
#include "app/pictures/CCPictFolderListing.h"
#include "kernel/base/CAContentLibraryGate.h"
#include "kernel/base/CAEnvironment.h"
#include "platform/PWBundle.h"
#include "platform/PWNotificationCenter.h"

#include <QFileInfo>
#include <QVBoxLayout>

CAShapeBrowserView::CAShapeBrowserView(QWidget *parent)
    : CAShapeBrowserView(CAEnvironment::basicShapePath(), parent)
{
}

CAShapeBrowserView::CAShapeBrowserView(const QString &folder, QWidget *parent)
    : QWidget(parent)
    , m_folder(folder)
    , m_catalogView(new CCPictCatalogView(this))
{
    setObjectName(QStringLiteral("_shapesView"));
    m_catalogView->setObjectName(QStringLiteral("_pictCatalog"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_catalogView, 1);
    list();
    // A first start copies the shapes while the pane may already be shown: an empty pane lists
    // its folder again when the copy has ended.
    PWNotificationCenter::defaultCenter().addObserver(
        CAContentLibraryGate::kSeededNotification, nullptr,
        [this](const PWNotification &) {
            if (catalog()->countImages() == 0)
                list();
        },
        this);
    connect(catalog(), &CCPictCatalog::chosen, this, [this] {
        const QString name = selectedShapeName();
        if (!name.isEmpty())
            Q_EMIT shapeChosen(name);
    });
}

void CAShapeBrowserView::list()
{
    if (!m_folder.isEmpty() && QFileInfo(m_folder).isDir()) {
        CCPictFolderListing::Listing listing = CCPictFolderListing::listFolder(m_folder, true);
        // The file names are the shape kinds' own names; the captions are in the user's language.
        for (CCPictCatalog::Entry &entry : listing.entries)
            entry.hint = PWLocalizedString(entry.hint);
        catalog()->changeBySearchInFolder(listing.entries, m_folder);
    } else {
        catalog()->clearMatrix();
    }
}

CCPictCatalog *CAShapeBrowserView::catalog() const
{
    return m_catalogView->catalog();
}

QString CAShapeBrowserView::selectedShapeName() const
{
    const CCPictCell *cell = catalog()->selectedCell();
    return cell && !cell->imageReference().isEmpty() ? QFileInfo(cell->imageReference()).completeBaseName()
                                                     : QString();
}

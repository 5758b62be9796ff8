#include "app/pictures/CACustomFolderBrowserView.h"

#include "app/pictures/CCPictCatalog.h"
#include "app/pictures/CCPictCatalogView.h"
#include "app/pictures/CCPictFolderListing.h"
#include "platform/PWBundle.h"
#include "platform/PWUserDefaults.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

void askForFolder(QWidget *parent, const QString &startFolder, CACustomFolderBrowserView::FolderAnswer answer)
{
    auto *dialog = new QFileDialog(parent, PWLocalizedString(QStringLiteral("Choose folder")), startFolder);
    dialog->setObjectName(QStringLiteral("_chooseFolderPanel"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    dialog->setWindowModality(Qt::WindowModal);
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, answer](int result) {
        const QStringList chosen = dialog->selectedFiles();
        answer(result == QDialog::Accepted && !chosen.isEmpty() ? chosen.constFirst() : QString());
    });
    dialog->open();
}

} // namespace

CACustomFolderBrowserView::CACustomFolderBrowserView(QWidget *parent)
    : QWidget(parent)
    , m_catalogView(new CCPictCatalogView(this))
    , m_browseButton(new QPushButton(PWLocalizedString(QStringLiteral("Choose Folder…")), this))
    , m_folderLabel(new QLabel(this))
    , m_folderQuestion(askForFolder)
{
    setObjectName(QStringLiteral("_customFolderView"));
    m_browseButton->setObjectName(QStringLiteral("_browseButton"));
    m_catalogView->setObjectName(QStringLiteral("_pictCatalog"));
    m_folderLabel->setObjectName(QStringLiteral("_folderLabel"));
    m_folderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_folderLabel->setMinimumWidth(20);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *row = new QHBoxLayout;
    row->addWidget(m_folderLabel, 1);
    row->addWidget(m_browseButton);
    layout->addLayout(row);
    layout->addWidget(m_catalogView, 1);
    connect(m_browseButton, &QPushButton::clicked, this, &CACustomFolderBrowserView::onBrowseFolder);
    connect(catalog(), &CCPictCatalog::chosen, this, [this](int row, int column) {
        if (std::shared_ptr<PWImage> picture = catalog()->fullPictureAt(row, column))
            Q_EMIT pictureChosen(picture);
    });

    // A remembered folder that has gone since is forgotten: the user is asked again.
    const QString stored = PWUserDefaults::standardUserDefaults().stringForKey(kFolderKey);
    if (!stored.isEmpty() && QFileInfo::exists(stored))
        m_dialogDirectory = stored;
    showFolderTitle();
}

CCPictCatalog *CACustomFolderBrowserView::catalog() const
{
    return m_catalogView->catalog();
}

void CACustomFolderBrowserView::showFolderTitle()
{
    const QString name = m_dialogDirectory.isEmpty() ? QString() : QFileInfo(m_dialogDirectory).fileName();
    m_folderLabel->setText(name.isEmpty() ? m_dialogDirectory : name);
    m_folderLabel->setToolTip(QDir::toNativeSeparators(m_dialogDirectory));
}

void CACustomFolderBrowserView::browseDirectory(FolderAnswer answer)
{
    if (m_asking || !m_folderQuestion)
        return;
    m_asking = true;
    const QString start = m_dialogDirectory.isEmpty() ? QDir::homePath() : m_dialogDirectory;
    QPointer<CACustomFolderBrowserView> self(this);
    m_folderQuestion(this, start, [self, answer](const QString &chosen) {
        if (!self)
            return;
        self->m_asking = false;
        if (!chosen.isEmpty())
            PWUserDefaults::standardUserDefaults().setString(kFolderKey, chosen);
        answer(chosen);
    });
}

void CACustomFolderBrowserView::listPictures()
{
    const CCPictFolderListing::Listing listing = CCPictFolderListing::listFolder(m_dialogDirectory, true);
    catalog()->changeBySearchInFolder(listing.entries, m_dialogDirectory);
    showFolderTitle();
    Q_EMIT picturesListed(catalog()->countImages());
}

void CACustomFolderBrowserView::loadPictures()
{
    if (!m_dialogDirectory.isEmpty()) {
        listPictures();
        m_isLoaded = true;
        return;
    }
    // Declined, the pane stays empty and not loaded, so that its next showing asks again.
    browseDirectory([this](const QString &chosen) {
        if (chosen.isEmpty())
            return;
        m_dialogDirectory = chosen;
        listPictures();
        m_isLoaded = true;
    });
}

void CACustomFolderBrowserView::onBrowseFolder()
{
    browseDirectory([this](const QString &chosen) {
        if (chosen.isEmpty())
            return;
        m_dialogDirectory = chosen;
        listPictures();
        m_isLoaded = true;
        m_catalogView->verticalScrollBar()->setValue(0);
    });
}

#include "Screenshots.h"

#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "app/inspector/CAPropertiesController.h"
#include "app/pictures/CAiPhoto.h"
#include "app/pictures/CAiPhotoBrowserView.h"
#include "app/pictures/CCMaskCatalog.h"
#include "app/shell/CAMainWindowController.h"
#include "platform/PWImage.h"
#include "platform/PWPlist.h"
#include "platform/PWUserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A photo album database of three albums over pictures drawn here: landscapes in a few colours.
QString sampleAlbumFolder()
{
    static QTemporaryDir dir;
    static bool written = false;
    if (written)
        return dir.path();
    written = true;
    const struct { const char *caption; QColor sky; QColor land; } photos[] = {
        {"Harbour at dawn", QColor(0xf4, 0xb0, 0x7a), QColor(0x2b, 0x4c, 0x6f)},
        {"Beach", QColor(0x7e, 0xc8, 0xf0), QColor(0xee, 0xd8, 0x9a)},
        {"Hills", QColor(0x9c, 0xcc, 0xf4), QColor(0x4f, 0x9a, 0x48)},
        {"Snow", QColor(0xc8, 0xd8, 0xe8), QColor(0xfa, 0xfa, 0xfa)},
        {"Dunes", QColor(0xf8, 0xd0, 0x88), QColor(0xd0, 0x90, 0x48)},
        {"Night town", QColor(0x1a, 0x22, 0x48), QColor(0x40, 0x38, 0x30)},
        {"Lake", QColor(0xa8, 0xd0, 0xe8), QColor(0x30, 0x70, 0xa8)}};
    PWPlist::Dictionary master;
    PWPlist::Array all;
    int key = 1;
    for (const auto &photo : photos) {
        for (const auto &[size, folder] : {std::pair{QSize(400, 300), "Originals"}, std::pair{QSize(120, 90), "Thumbs"}}) {
            QImage image(size, QImage::Format_RGB32);
            QPainter painter(&image);
            QLinearGradient sky(0, 0, 0, size.height());
            sky.setColorAt(0, photo.sky.lighter(120));
            sky.setColorAt(1, photo.sky);
            painter.fillRect(image.rect(), sky);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(photo.land);
            painter.drawEllipse(QRectF(-size.width() * 0.3, size.height() * 0.6, size.width() * 1.6, size.height()));
            painter.end();
            QDir().mkpath(dir.filePath(QString::fromLatin1(folder)));
            image.save(dir.filePath(QStringLiteral("%1/%2.jpg").arg(QLatin1String(folder)).arg(key)), "JPEG");
        }
        const QString name = QString::number(key);
        master.insert(name, PWPlist::Dictionary{
                                {QStringLiteral("ImagePath"), PWPlist::fromString(QStringLiteral("Originals/%1.jpg").arg(key))},
                                {QStringLiteral("ThumbPath"), PWPlist::fromString(QStringLiteral("Thumbs/%1.jpg").arg(key))},
                                {QStringLiteral("Caption"), PWPlist::fromString(QString::fromLatin1(photo.caption))}});
        all.append(PWPlist::fromString(name));
        ++key;
    }
    const auto album = [](const char *name, const PWPlist::Array &keys) {
        return PWPlist(PWPlist::Dictionary{{QStringLiteral("AlbumName"), PWPlist::fromString(QString::fromLatin1(name))},
                                           {QStringLiteral("KeyList"), keys}});
    };
    const PWPlist root(PWPlist::Dictionary{
        {QStringLiteral("List of Albums"),
         PWPlist::Array{album("Summer 2026", all), album("Family", all.mid(2, 3)), album("Travel", all.mid(0, 2))}},
        {QStringLiteral("Master Image List"), master}});
    QFile file(dir.filePath(CAiPhoto::kDatabaseName));
    if (file.open(QIODevice::WriteOnly))
        file.write(root.toXml());
    return dir.path();
}

} // namespace

QWidget *albumBrowserScreenshot()
{
    PWUserDefaults::standardUserDefaults().setString(CAiPhoto::kRootDirectoryDefault, sampleAlbumFolder());
    CAiPhoto::reloadSharedInstance();
    auto *pane = new CAiPhotoBrowserView;
    pane->setWindowTitle(QStringLiteral("Photo Albums"));
    pane->resize(260, 380);
    pane->show();
    return pane;
}

QWidget *maskCatalogueScreenshot(CADocumentController &application)
{
    CADocView *canvas = inspectorOverSample(application);
    if (!canvas)
        return nullptr;
    CAPropertiesController *inspector = CAPropertiesController::sharedPropertiesController();
    QImage photo(160, 120, QImage::Format_ARGB32);
    QPainter painter(&photo);
    QLinearGradient sky(0, 0, 0, 120);
    sky.setColorAt(0, QColor(0x88, 0xc4, 0xf0));
    sky.setColorAt(1, QColor(0xf8, 0xd8, 0x98));
    painter.fillRect(photo.rect(), sky);
    painter.setBrush(QColor(0x3a, 0x8a, 0x4a));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(-40, 70, 240, 120));
    painter.end();
    canvas->edits().insertImageAtPoint(PWImage::fromQImage(photo), QPointF(165.0, 40.0));
    canvas->notifySelectionChanged();
    QCoreApplication::processEvents();
    auto *catalog = inspector->window()->findChild<CCMaskCatalog *>(QStringLiteral("_maskCatalog"));
    if (catalog) {
        for (int i = 0; i < catalog->cellCount(); ++i) {
            if (catalog->cellAt(i)->name() == QStringLiteral("Heart.png")) {
                const QRectF frame = catalog->cellFrameAtRowColumn(i / 2, i % 2);
                QTest::mouseClick(catalog, Qt::LeftButton, {}, frame.center().toPoint());
                break;
            }
        }
    }
    QCoreApplication::processEvents();
    // The canvas and the inspector side by side in one picture.
    auto *both = new QWidget;
    both->setWindowTitle(QStringLiteral("Masks"));
    auto *row = new QHBoxLayout(both);
    auto *design = new QLabel(both);
    design->setPixmap(canvas->grab());
    auto *panel = new QLabel(both);
    panel->setPixmap(inspector->window()->grab());
    row->addWidget(design);
    row->addWidget(panel, 0, Qt::AlignTop);
    inspector->window()->hide();
    both->show();
    return both;
}

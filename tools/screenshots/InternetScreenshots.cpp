#include "Screenshots.h"

#include "SampleDesigns.h"

#include "app/canvas/CACanvasEdits.h"
#include "app/canvas/CADocView.h"
#include "app/pictures/CCPictBrowserView.h"
#include "app/pictures/CCPictCatalog.h"
#include "app/pictures/CCPictCatalogView.h"
#include "app/pictures/CCSearchField.h"
#include "app/pictures/CCSearchFieldCell.h"
#include "app/pictures/CSearchInternetPanelController.h"
#include "app/shell/CADocumentController.h"
#include "app/shell/CADocumentManager.h"
#include "app/shell/CAInternetSearchCommands.h"
#include "app/shell/CAMainWindowController.h"
#include "app/shell/CAOpenDocument.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTAView.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWImage.h"

#include <QBuffer>
#include <QImage>
#include <QLineEdit>
#include <QPainter>

namespace {

// A picture as the search would have brought it: drawn here, named as a loaded internet picture,
// so that nothing goes to the network.
std::shared_ptr<PWImage> internetPicture()
{
    QImage bitmap(160, 120, QImage::Format_ARGB32);
    bitmap.fill(QColor(0xcf, 0xe6, 0xf7));
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x4c, 0x8c, 0x3a));
    painter.drawRect(QRectF(0, 84, 160, 36));
    painter.setBrush(QColor(0xb0, 0x2a, 0x24));
    painter.drawPolygon(QPolygonF({QPointF(40, 88), QPointF(40, 52), QPointF(80, 26), QPointF(120, 52), QPointF(120, 88)}));
    painter.setBrush(QColor(0xf4, 0xf0, 0xe6));
    painter.drawRect(QRectF(70, 62, 20, 26));
    painter.end();
    std::shared_ptr<PWImage> image = PWImage::fromQImage(bitmap);
    image->setSize(QSizeF(72, 54));
    image->setName(QStringLiteral("PREFIX_URL_LOADED https://pictures.example.org/red-barn.jpg "
                                  "https://farm-stories.example.org/2026/05/the-red-barn-restored.html"));
    return image;
}

// A thumbnail of a search result, drawn here: a barn of its own colour under a sky.
QByteArray resultThumbnail(int n)
{
    QImage bitmap(96, 72, QImage::Format_RGB32);
    bitmap.fill(QColor::fromHsv((190 + n * 23) % 360, 60, 245));
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromHsv((90 + n * 11) % 360, 150, 150));
    painter.drawRect(QRectF(0, 52, 96, 20));
    painter.setBrush(QColor::fromHsv((n * 37) % 360, 190, 170));
    const double x = 14 + (n % 3) * 10;
    painter.drawPolygon(QPolygonF({QPointF(x, 56), QPointF(x, 30), QPointF(x + 24, 14), QPointF(x + 48, 30), QPointF(x + 48, 56)}));
    painter.setBrush(QColor(0xf4, 0xf0, 0xe6));
    painter.drawRect(QRectF(x + 18, 38, 12, 18));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bitmap.save(&buffer, "PNG");
    return bytes;
}

} // namespace

QWidget *clipArtPaneInternetScreenshot()
{
    // Results handed to the pane as its search hands them over: nothing goes to the network.
    auto *pane = new CCPictBrowserView;
    pane->setWindowTitle(QStringLiteral("Clip Art"));
    pane->resize(250, 360);
    pane->setInternetSearchStart([](const QString &) {});
    CCSearchField *field = pane->searchField();
    CCSearchFieldCell *cell = field->searchCell();
    cell->switchToInternet(cell->menuItemWithTitle(QStringLiteral("Internet")));
    field->setText(QStringLiteral("red barn"));
    pane->searchInternet(field);
    const int count = 8;
    pane->prepareMatrixWithSender({count, 0});
    for (int n = 0; n < count - 2; ++n) {
        const QUrl address(QStringLiteral("https://pictures.example.org/barn-%1.jpg").arg(n + 1));
        pane->dynamicAddImageWithGoogleSearchItem(
            {count, n}, {address, QStringLiteral("https://farm-stories.example.org/barns/%1.html").arg(n + 1),
                         resultThumbnail(n)});
    }
    pane->show();
    return pane;
}

QWidget *internetStripScreenshot(CADocumentController &application)
{
    installInternetSearch(application);
    const auto record = application.manager().addDocument(SampleDesigns::label());
    auto *window = record ? qobject_cast<CAMainWindowController *>(record->window.data()) : nullptr;
    if (!window)
        return nullptr;
    window->show();
    CADocView *canvas = window->docView();
    const CFTADocument *design = canvas->document()->ftDocument();
    const QSizeF page(design->getDocumentSizeX(0), design->getDocumentSizeY(0));
    canvas->edits().insertImageAtPoint(internetPicture(), QPointF(page.width() - 50, page.height() / 2));
    window->showInternet();
    canvas->viewport()->update();
    return window;
}

QWidget *searchPanelScreenshot()
{
    auto *panel = new CSearchInternetPanelController;
    panel->searchField()->setText(QStringLiteral("red barn"));
    panel->adjustSize();
    panel->show();
    return panel;
}

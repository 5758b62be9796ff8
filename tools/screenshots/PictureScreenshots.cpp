#include "Screenshots.h"

#include "app/pictures/CCImageEditorController.h"
#include "app/pictures/CCPictBrowserView.h"
#include "app/pictures/CCPictCatalog.h"
#include "app/pictures/CCPictCatalogView.h"
#include "app/pictures/CCSearchField.h"
#include "app/pictures/CCSearchFieldCell.h"
#include "app/shell/CASampleDesignLibrary.h"
#include "platform/PWImage.h"

#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <cmath>
#include <numbers>

namespace {

// A few pictures drawn on the spot: the catalogue needs files to show, and the screenshots must
// not depend on the content library being installed.
QString samplePictureFolder()
{
    static QTemporaryDir dir;
    static bool drawn = false;
    if (drawn)
        return dir.path();
    drawn = true;
    const auto draw = [](const QString &name, const std::function<void(QPainter &)> &paint) {
        QImage image(120, 120, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        paint(painter);
        painter.end();
        image.save(dir.filePath(name), "PNG");
    };
    draw(QStringLiteral("sun.png"), [](QPainter &p) {
        p.setPen(QPen(QColor(0xf0, 0xa0, 0x20), 6, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 12; ++i) {
            const double a = i * std::numbers::pi / 6;
            p.drawLine(QPointF(60 + 36 * std::cos(a), 60 + 36 * std::sin(a)),
                       QPointF(60 + 54 * std::cos(a), 60 + 54 * std::sin(a)));
        }
        p.setBrush(QColor(0xff, 0xc8, 0x30));
        p.drawEllipse(QPointF(60, 60), 28, 28);
    });
    draw(QStringLiteral("heart.png"), [](QPainter &p) {
        QPainterPath heart;
        heart.moveTo(60, 105);
        heart.cubicTo(0, 60, 20, 5, 60, 35);
        heart.cubicTo(100, 5, 120, 60, 60, 105);
        p.fillPath(heart, QColor(0xd8, 0x30, 0x48));
    });
    draw(QStringLiteral("tree.png"), [](QPainter &p) {
        p.fillRect(QRectF(52, 80, 16, 34), QColor(0x7a, 0x50, 0x2a));
        QPolygonF crown({QPointF(60, 6), QPointF(104, 88), QPointF(16, 88)});
        p.setBrush(QColor(0x2f, 0x8f, 0x46));
        p.setPen(Qt::NoPen);
        p.drawPolygon(crown);
    });
    draw(QStringLiteral("envelope.png"), [](QPainter &p) {
        p.setPen(QPen(QColor(0x50, 0x5a, 0x66), 3));
        p.setBrush(QColor(0xf4, 0xf0, 0xe6));
        p.drawRect(QRectF(10, 28, 100, 64));
        p.drawPolyline(QPolygonF({QPointF(10, 28), QPointF(60, 66), QPointF(110, 28)}));
    });
    draw(QStringLiteral("ball.png"), [](QPainter &p) {
        p.setBrush(QColor(0xff, 0xff, 0xff));
        p.setPen(QPen(Qt::black, 3));
        p.drawEllipse(QPointF(60, 60), 48, 48);
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(60, 60), 14, 14);
    });
    draw(QStringLiteral("cup.png"), [](QPainter &p) {
        p.setPen(QPen(QColor(0x8a, 0x4b, 0x2a), 6));
        p.drawArc(QRectF(78, 44, 30, 34), -90 * 16, 180 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xc0, 0x64, 0x3a));
        p.drawRoundedRect(QRectF(20, 34, 66, 70), 10, 10);
    });
    return dir.path();
}

} // namespace

QWidget *pictureCatalogScreenshot()
{
    auto *view = new CCPictCatalogView;
    view->setWindowTitle(QStringLiteral("Pictures"));
    view->resize(250, 300);
    const QString folder = samplePictureFolder();
    view->catalog()->changeBySearchInFolder(
        {{QStringLiteral("sun.png"), QStringLiteral("Summer sun")},
         {QStringLiteral("heart.png"), QStringLiteral("Valentine heart")},
         {QStringLiteral("tree.png"), QString()},
         {QStringLiteral("envelope.png"), QStringLiteral("Airmail envelope with a long caption")},
         {QStringLiteral("ball.png"), QStringLiteral("Football")},
         {QStringLiteral("missing.png"), QStringLiteral("never shown")},
         {QStringLiteral("cup.png"), QStringLiteral("Coffee")}},
        folder);
    view->show();
    view->catalog()->selectCellAtRowColumn(0, 1);
    return view;
}

QWidget *searchFieldScreenshot(int mode)
{
    auto *window = new QWidget;
    window->setWindowTitle(QStringLiteral("Search"));
    window->resize(260, 44);
    auto *field = new CCSearchField(window);
    field->setGeometry(10, 11, 240, 22);
    CCSearchFieldCell *cell = field->searchCell();
    if (mode == 1) {
        cell->switchToInternet(cell->menuItemWithTitle(QStringLiteral("Internet")));
        field->setText(QStringLiteral("lighthouse"));
        field->setDoubleValue(45);
    } else if (mode == 2) {
        cell->setSimpleMode();
        field->setText(QStringLiteral("Ann"));
    }
    window->show();
    return window;
}

QWidget *clipArtPaneScreenshot(const QString &keywords)
{
    // The collection the build makes, installed as on a first start.
    CASampleDesignLibrary::installClipArtForUser();
    auto *pane = new CCPictBrowserView;
    pane->setWindowTitle(QStringLiteral("Clip Art"));
    pane->resize(250, 360);
    pane->show();
    if (!keywords.isEmpty()) {
        pane->searchField()->setText(keywords);
        pane->searchText(pane->searchField());
    }
    return pane;
}

// The image editor on a drawn landscape, with a crop rectangle chosen.
QWidget *imageEditorScreenshot()
{
    QImage landscape(480, 320, QImage::Format_ARGB32);
    QPainter p(&landscape);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 200);
    sky.setColorAt(0, QColor(0x5a, 0x9b, 0xd8));
    sky.setColorAt(1, QColor(0xcf, 0xe6, 0xf5));
    p.fillRect(QRectF(0, 0, 480, 200), sky);
    p.fillRect(QRectF(0, 200, 480, 120), QColor(0x5c, 0xa0, 0x4a));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xc8, 0x30));
    p.drawEllipse(QPointF(380, 70), 34, 34);
    p.setBrush(QColor(0x7d, 0x8c, 0x9a));
    p.drawPolygon(QPolygonF({QPointF(40, 200), QPointF(170, 60), QPointF(300, 200)}));
    p.setBrush(QColor(0xf4, 0xf6, 0xf8));
    p.drawPolygon(QPolygonF({QPointF(140, 92), QPointF(170, 60), QPointF(200, 92)}));
    p.setBrush(QColor(0x2f, 0x6f, 0x3a));
    for (int i = 0; i < 5; ++i)
        p.drawEllipse(QPointF(300 + i * 34, 230 + (i % 2) * 14), 22, 22);
    p.end();
    auto *editor = new CCImageEditorController;
    editor->resize(560, 480);
    // y runs upwards in the editor: the rectangle frames the mountain.
    editor->prepareEditor(PWImage::fromQImage(landscape), true, QRectF(30, 110, 290, 220));
    editor->show();
    return editor;
}

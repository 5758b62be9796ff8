#include "app/shell/CAShellScreenshots.h"

#include "ShellTestSupport.h"

#include <QImage>
#include <QWidget>

using namespace Qt::StringLiterals;

// Each window is handed over shown, at its own default size, and drawn with something in it.
TEST(CAShellScreenshotsTest, EveryPanelIsHandedOverShownAtItsDefaultSize)
{
    QStringList names;
    QList<QSize> sizes;
    showShellPanelsForScreenshots([&](const QString &name, QWidget *window) {
        names << name;
        sizes << window->size();
        EXPECT_TRUE(window->isVisible()) << name.toStdString();
        const QImage picture = window->grab().toImage();
        // More than one colour: the window drew its contents.
        QSet<QRgb> colours;
        for (int y = 0; y < picture.height(); y += 7)
            for (int x = 0; x < picture.width(); x += 7)
                colours.insert(picture.pixel(x, y));
        EXPECT_GT(colours.size(), 2) << name.toStdString();
    });
    EXPECT_EQ(names, (QStringList {u"about"_s, u"fonts"_s, u"help"_s}));
    ASSERT_EQ(sizes.size(), 3);
    EXPECT_EQ(sizes[0], QSize(420, 360));
    EXPECT_EQ(sizes[2], QSize(760, 560));
}

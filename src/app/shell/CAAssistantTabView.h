#pragma once

#include <QImage>
#include <QTabWidget>

#include <functional>

class QPainter;

// The tab view of the assistant's window: no tabs and no bezel, but a frame put together from
// eight pictures ("w_top_left" ... "w_right") around a flat grey inside, over which the items'
// views draw as usual. Edges are placed by their own sizes, so pictures of matching sizes close
// the frame without overlap.
class CAAssistantTabView : public QTabWidget
{
    Q_OBJECT
public:
    // The picture of a name; by default the bundle's drawing of that name.
    using ImageSource = std::function<QImage(const QString &name)>;

    explicit CAAssistantTabView(QWidget *parent = nullptr);

    void setImageSource(ImageSource source) { m_images = std::move(source); }
    // Draws the frame over the whole of size.
    static void drawFrame(QPainter &painter, const QSize &size, const ImageSource &images);
    static QImage bundleImage(const QString &name);

    // An item's identifier ("1", "2", "3" for steps, "11", "12", "13" for kinds), the widget
    // property "identifier" of its page.
    QString identifierAt(int index) const;
    int indexOfIdentifier(const QString &identifier) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ImageSource m_images;
};

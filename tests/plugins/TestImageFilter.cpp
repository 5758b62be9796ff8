// An image-filter plug-in for the editor's tests: its dialog accepts at once, keeps the
// selection it was given (or picks the middle of the image), and makes a mirrored image of half
// the size. What it was called with is readable through the root object's properties.
#include "app/pictures/ICoreImageFilter.h"

#include <QObject>
#include <QtPlugin>

class TestImageFilter : public QObject, public ICoreImageFilter
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ICoreImageFilter_iid)
    Q_INTERFACES(ICoreImageFilter)
    Q_PROPERTY(int dialogCalls MEMBER m_dialogCalls)
    Q_PROPERTY(bool lastUseSelection MEMBER m_lastUseSelection)
    Q_PROPERTY(QRectF lastRect MEMBER m_lastRect)
    Q_PROPERTY(QSizeF lastSourceSize MEMBER m_lastSourceSize)
    Q_PROPERTY(QSizeF lastImageSize MEMBER m_lastImageSize)
    // Set by a test: the dialog is cancelled, or the selection handed back lies off the image.
    Q_PROPERTY(bool cancel MEMBER m_cancel)
    Q_PROPERTY(bool selectOffImage MEMBER m_selectOffImage)

public:
    std::optional<bool> CIFShowDialogUseSelectionWithRectSourceSize(const QImage &image, bool useSelection,
                                                                    const QRectF &rect,
                                                                    const QSizeF &sourceSize) override
    {
        m_lastSourceSize = sourceSize;
        return CIFShowDialogUseSelectionWithRect(image, useSelection, rect);
    }

    bool CIFShowDialogUseSelectionWithRect(const QImage &image, bool useSelection, const QRectF &rect) override
    {
        ++m_dialogCalls;
        m_lastUseSelection = useSelection;
        m_lastRect = rect;
        const QSizeF size = image.deviceIndependentSize();
        m_lastImageSize = size;
        if (m_selectOffImage)
            m_selection = QRectF(size.width() * 2, -size.height(), size.width() / 2, size.height() / 2);
        else
            m_selection = useSelection ? rect : QRectF(size.width() / 4, size.height() / 4, size.width() / 2, size.height() / 2);
        QImage half = image.mirrored(true, false).scaled(image.size() / 2);
        half.setDevicePixelRatio(image.devicePixelRatio());
        m_output = half;
        return !m_cancel;
    }

    QRectF CIFSelectionRect() const override { return m_selection; }
    bool CIFIsSelected() const override { return !m_selection.isEmpty(); }
    QImage CIFOutputImage() const override { return m_output; }

private:
    int m_dialogCalls = 0;
    bool m_lastUseSelection = false;
    bool m_cancel = false;
    bool m_selectOffImage = false;
    QRectF m_lastRect;
    QSizeF m_lastSourceSize;
    QSizeF m_lastImageSize;
    QRectF m_selection;
    QImage m_output;
};

#include "TestImageFilter.moc"

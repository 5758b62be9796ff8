#include "app/printing/CALayoutControllerWithPreview.h"

#include "app/printing/CATemplatePreview.h"
#include "app/printing/CATemplateTableModel.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QPixmap>
#include <QTableView>

CALayoutControllerWithPreview::CALayoutControllerWithPreview(QObject *parent)
    : CALayoutController(parent)
{
}

void CALayoutControllerWithPreview::bindControls(QWidget *root)
{
    CALayoutController::bindControls(root);
    _imageView = root->findChild<QLabel *>(QStringLiteral("_imageView"));
    if (_imageView) {
        _imageView->setAlignment(Qt::AlignCenter);
        // The picture fits the room the label has, which is known only once it is laid out.
        m_watchedImageView = _imageView;
        _imageView->installEventFilter(this);
    }
    if (_chkUseWindow)
        connect(_chkUseWindow, &QAbstractButton::clicked, this, &CALayoutControllerWithPreview::enableWindow);
    if (auto *clear = root->findChild<QAbstractButton *>(QStringLiteral("_btnClearRecents")))
        connect(clear, &QAbstractButton::clicked, this, &CALayoutControllerWithPreview::clearRecents);
}

void CALayoutControllerWithPreview::tableViewSelectionDidChange(Table table)
{
    CALayoutController::tableViewSelectionDidChange(table);
    m_format = selectedTemplate(table);
    if (m_format)
        drawPreview();
}

bool CALayoutControllerWithPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && watched == m_watchedImageView)
        drawPreview();
    return CALayoutController::eventFilter(watched, event);
}

void CALayoutControllerWithPreview::enableWindow()
{
    drawPreview();
}

void CALayoutControllerWithPreview::clearRecents()
{
    if (!m_recentLayouts)
        return;
    m_recentLayouts->clear();
    selectRow(RecentTable, -1);
    reloadTable(RecentTable);
    CATemplateFormat::saveRecentLayouts(m_docType);
}

void CALayoutControllerWithPreview::drawPreview()
{
    if (!m_format || !_imageView)
        return;
    const QSizeF room = _imageView->contentsRect().size();
    m_image = CATemplatePreview::drawForKind(m_docType, *m_format, room, windowChecked(),
                                             _imageView->devicePixelRatioF());
    _imageView->setPixmap(QPixmap::fromImage(m_image));
}

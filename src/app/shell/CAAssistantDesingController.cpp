#include "app/shell/CAAssistantDesingController.h"

#include "app/shell/CAShellLog.h"
#include "kernel/base/CAEnvironment.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/component/CFTComponent.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/document/CFTADocumentFileCheck.h"
#include "kernel/merge/CADocument.h"
#include "kernel/render/CDDDrawer.h"
#include "platform/PWFileReader.h"
#include "platform/PWNotificationCenter.h"
#include "platform/PWPlist.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QStringDecoder>
#include <QTableWidget>

const QString CAAssistantDesingController::kDesignExtension = QStringLiteral("pwdc");
const QString CAAssistantDesingController::kHandlingCategory = QStringLiteral("Handling");

namespace {

const QString kUpdateNextButton = QStringLiteral("Update Next Button In Assistant");

} // namespace

CAAssistantDesingController::CAAssistantDesingController(QObject *parent)
    : QObject(parent)
    , m_previews(kPreviewCacheSize)
{
}

CAAssistantDesingController::~CAAssistantDesingController() = default;

void CAAssistantDesingController::bindControls(QWidget *root)
{
    _previewWell = root->findChild<QLabel *>(QStringLiteral("_previewWell"));
    _designTableView = root->findChild<QTableWidget *>(QStringLiteral("_designTableView"));
    _categoryPopup = root->findChild<QComboBox *>(QStringLiteral("_categoryPopup"));
    if (_categoryPopup)
        connect(_categoryPopup, &QComboBox::activated, this, &CAAssistantDesingController::categoryChanged);
    if (_designTableView) {
        _designTableView->setColumnCount(1);
        _designTableView->horizontalHeader()->hide();
        _designTableView->horizontalHeader()->setStretchLastSection(true);
        _designTableView->verticalHeader()->hide();
        _designTableView->setSelectionBehavior(QAbstractItemView::SelectRows);
        _designTableView->setSelectionMode(QAbstractItemView::SingleSelection);
        _designTableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
        _designTableView->setShowGrid(false);
        QFont small = _designTableView->font();
        small.setPointSizeF(std::max(7.0, small.pointSizeF() - 1.0));
        _designTableView->setFont(small);
        connect(_designTableView, &QTableWidget::itemSelectionChanged, this,
                &CAAssistantDesingController::designChanged);
    }
}

QString CAAssistantDesingController::sizeGroupPath() const
{
    return QDir(CAEnvironment::templatePath()).filePath(m_sizeGroup);
}

void CAAssistantDesingController::initControls(const QString &sizeGroup)
{
    // A size group that showed no categories is looked at again: its designs may have been
    // copied into the library since.
    if (sizeGroup == m_sizeGroup && !m_sizeGroup.isNull() && !m_pathCategory.isEmpty()) {
        categoryChanged();
        return;
    }
    setSizeGroup(sizeGroup);
    const QString folder = sizeGroupPath();
    const QDir dir(folder);
    // Folders in name order: the listing order of the file system would change from one disk
    // to the next.
    const bool listable = !sizeGroup.isEmpty() && dir.exists() && dir.isReadable();
    m_pathCategory = listable ? dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name) : QStringList();
    if (_categoryPopup)
        _categoryPopup->clear();
    if (!listable) {
        qCWarning(lcShell).noquote() << QStringLiteral("No templates found in %1").arg(folder);
        if (_categoryPopup)
            _categoryPopup->setEnabled(false);
        // The designs of another size group would not fit this paper.
        m_pathDesign.clear();
        m_currentDocPath.clear();
        m_currentPreview = QImage();
        m_finishAssistant = false;
        reloadDesignTable();
        if (_previewWell)
            _previewWell->clear();
        PWNotificationCenter::defaultCenter().postNotification(kUpdateNextButton);
        return;
    }
    if (_categoryPopup) {
        _categoryPopup->setEnabled(true);
        _categoryPopup->addItems(m_pathCategory);
        _categoryPopup->setCurrentIndex(m_pathCategory.isEmpty() ? -1 : 0);
    }
    categoryChanged();
}

bool CAAssistantDesingController::fillInIfEmpty()
{
    if (m_sizeGroup.isNull() || (!m_pathCategory.isEmpty() && !m_pathDesign.isEmpty()))
        return false;
    // Listed again from the start, the category the user chose kept when it is still there.
    const QString category = _categoryPopup ? _categoryPopup->currentText() : QString();
    const QString group = m_sizeGroup;
    m_sizeGroup = QString();
    initControls(group);
    const int index = _categoryPopup && !category.isEmpty() ? _categoryPopup->findText(category) : -1;
    if (index > 0) {
        _categoryPopup->setCurrentIndex(index);
        categoryChanged();
    }
    return !m_pathDesign.isEmpty();
}

void CAAssistantDesingController::categoryChanged()
{
    QString category;
    if (_categoryPopup) {
        const int index = _categoryPopup->currentIndex();
        if (index >= 0)
            category = _categoryPopup->itemText(index);
    } else if (!m_pathCategory.isEmpty()) {
        category = m_pathCategory.first();
    }
    changeCategory(category);
    reloadDesignTable();
    if (_designTableView && !m_pathDesign.isEmpty()) {
        // Selecting row 0 reports a selection change, which previews it.
        const QSignalBlocker blocker(_designTableView);
        _designTableView->clearSelection();
        _designTableView->selectRow(0);
    }
    designChanged();
}

void CAAssistantDesingController::changeCategory(const QString &category)
{
    m_finishAssistant = category == kHandlingCategory;
    PWNotificationCenter::defaultCenter().postNotification(kUpdateNextButton);
    m_pathDesign.clear();
    if (category.isEmpty())
        return;
    const QString folder = QDir(sizeGroupPath()).filePath(category);
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext()) {
        const QString path = it.next();
        // The extension exactly: a "PWDC" file is not listed.
        if (QFileInfo(path).suffix() == kDesignExtension)
            m_pathDesign.append(base.relativeFilePath(path));
    }
    m_pathDesign.sort();
}

void CAAssistantDesingController::reloadDesignTable()
{
    if (!_designTableView)
        return;
    const QSignalBlocker blocker(_designTableView);
    _designTableView->clearContents();
    _designTableView->setRowCount(int(m_pathDesign.size()));
    for (int row = 0; row < m_pathDesign.size(); ++row)
        _designTableView->setItem(row, 0, new QTableWidgetItem(QFileInfo(m_pathDesign.at(row)).completeBaseName()));
}

void CAAssistantDesingController::designChanged()
{
    int row = -1;
    if (_designTableView) {
        const QList<QTableWidgetItem *> selected = _designTableView->selectedItems();
        row = selected.isEmpty() ? -1 : selected.first()->row();
    } else if (!m_pathDesign.isEmpty()) {
        row = 0;
    }
    const QString category = _categoryPopup ? _categoryPopup->currentText()
                                            : (m_pathCategory.isEmpty() ? QString() : m_pathCategory.first());
    if (row < 0 || row >= m_pathDesign.size() || category.isEmpty())
        return;
    const QString path = QDir(QDir(sizeGroupPath()).filePath(category)).filePath(m_pathDesign.at(row));
    m_currentPreview = imageWithPath(path);
    if (_previewWell) {
        if (m_currentPreview.isNull()) {
            _previewWell->clear();
        } else {
            const QSize room = _previewWell->contentsRect().size().boundedTo(QSize(4000, 4000));
            const qreal ratio = _previewWell->devicePixelRatioF();
            QPixmap pixmap = QPixmap::fromImage(m_currentPreview);
            if (room.width() > 8 && room.height() > 8)
                pixmap = pixmap.scaled(room * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            pixmap.setDevicePixelRatio(ratio);
            _previewWell->setPixmap(pixmap);
        }
    }
}

QImage CAAssistantDesingController::imageWithPath(const QString &path)
{
    m_currentDocPath = path;
    const QFileInfo info(path);
    if (const Preview *kept = m_previews.object(path)) {
        if (kept->modified == info.lastModified() && kept->size == info.size())
            return kept->image;
        m_previews.remove(path);
    }
    const std::unique_ptr<CFTADocument> design = createDocumentFromPath(path);
    if (!design)
        return QImage();
    ++m_renderedPreviews;
    auto preview = std::make_unique<Preview>(Preview{renderPreview(*design), info.lastModified(), info.size()});
    const QImage image = preview->image;
    m_previews.insert(path, preview.release());
    return image;
}

QImage CAAssistantDesingController::renderPreview(const CFTADocument &design)
{
    const double width = design.getDocumentSizeX(0);
    const double height = design.getDocumentSizeY(0);
    const QSize pixels(qMax(1, qRound(width * kPreviewScale)), qMax(1, qRound(height * kPreviewScale)));
    if (pixels.width() > 8000 || pixels.height() > 8000)
        return QImage();
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(kPreviewScale, kPreviewScale);
    const QPainterPath outline = CADocument::documentSurfacePathForRect(QRectF(0.0, 0.0, width, height),
                                                                        design.GetCornerRadius(), 0.0, 0.0, true);
    painter.save();
    painter.setClipPath(outline);
    painter.fillRect(QRectF(0.0, 0.0, width, height), Qt::white);
    CDDDrawer drawer(false, &painter);
    drawer.SetResolution(kPreviewScale);
    // Drawing asks nothing of the document that changes it.
    auto &drawn = const_cast<CFTADocument &>(design);
    drawn.DrawComponents(design.GetComponents(0, false), &drawer, false, nullptr);
    painter.restore();
    QPen pen(QColor::fromRgbF(0.6, 0.6, 0.6, 1.0));
    pen.setWidthF(1.0 / kPreviewScale);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
    painter.end();
    return image;
}

std::unique_ptr<CFTADocument> CAAssistantDesingController::createDocumentFromPath(const QString &path)
{
    if (path.isEmpty())
        return nullptr;
    const PWFileReader::Result file = PWFileReader::read(path, PWFileReader::kDesignLimit);
    if (!file.ok()) {
        qCWarning(lcShell).noquote() << QStringLiteral("The design %1 cannot be read: %2").arg(path, file.reason);
        return nullptr;
    }
    // Counted before parsing, as any design file is.
    if (const QString refusal = CFTADocumentFileCheck::refusalBeforeReading(file.bytes); !refusal.isEmpty()) {
        qCWarning(lcShell).noquote() << QStringLiteral("The design %1 cannot be read: %2").arg(path, refusal);
        return nullptr;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(file.bytes);
    if (utf8.hasError())
        return nullptr;
    const std::optional<PWPlist> parsed = PWPlist::parse(text.toUtf8());
    if (!parsed || !parsed->isDictionary() || !CFTADocument::refusalOfFile(*parsed).isEmpty())
        return nullptr;
    auto design = std::make_unique<CFTADocument>();
    CDDArchive archive(false, ptInline);
    archive.Attach(*parsed);
    design->Serialize(archive);
    design->SetPredefinedLayout(true);
    return design;
}

std::unique_ptr<CFTADocument> CAAssistantDesingController::createCurrentFTDoc() const
{
    return createDocumentFromPath(m_currentDocPath);
}

void CAAssistantDesingController::checkDocSenderAndRecipient()
{
    m_docHasSender = true;
    m_docHasRecipient = true;
    if (const std::unique_ptr<CFTADocument> design = createCurrentFTDoc()) {
        m_docHasSender = false;
        m_docHasRecipient = false;
        for (CFTComponent *component : design->GetComponents(0, false)) {
            // A panel answers the category of the field being edited, none at rest; its side is
            // the side of all its fields.
            const textCategory category = component->GetTextCategory();
            const bool address = component->getClassID() == ciAddressPanel
                                 || (category != tcNone && category != tcCustom && category != tcSimpleText);
            if (!address)
                continue;
            if (component->GetToFrom())
                m_docHasRecipient = true;
            else
                m_docHasSender = true;
        }
    }
    PWNotificationCenter::defaultCenter().postNotification(kUpdateNextButton);
}

#pragma once

#include <QCache>
#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

class CFTADocument;
class QComboBox;
class QLabel;
class QTableWidget;
class QWidget;

// The design step of the assistant: the categories of the chosen paper template's size group,
// the designs of the chosen category (files with the extension "pwdc" at any depth), a preview
// of the chosen design, whether the category ends the assistant here ("Handling"), and which
// address sides the chosen design holds. Previews are kept by path, a bounded number of them,
// and made again when the file changed.
class CAAssistantDesingController : public QObject
{
    Q_OBJECT
public:
    // The design file extension, compared exactly (not "PWDC").
    static const QString kDesignExtension;
    // The category whose designs finish the assistant at this step.
    static const QString kHandlingCategory;
    // How many previews are kept.
    static constexpr int kPreviewCacheSize = 24;
    // Preview pixels per point.
    static constexpr double kPreviewScale = 2.0;

    explicit CAAssistantDesingController(QObject *parent = nullptr);
    ~CAAssistantDesingController() override;

    // Finds the preview, the design table and the category pop-up below root.
    void bindControls(QWidget *root);

    // Called each time the step is shown with the size group of the chosen paper template.
    void initControls(const QString &sizeGroup);
    void setSizeGroup(const QString &sizeGroup) { m_sizeGroup = sizeGroup; }
    // Lists the size group's categories and designs again when it showed no design; whether it
    // shows some now.
    bool fillInIfEmpty();
    void categoryChanged();
    void changeCategory(const QString &category);
    void designChanged();

    // The preview of the design at path, at two pixels a point, clipped to its surface; null
    // when the design cannot be read. The path becomes the chosen design either way.
    QImage imageWithPath(const QString &path);
    // The design at path read into a new kernel document; null when it is missing, not UTF-8
    // text, not a property list or no design.
    static std::unique_ptr<CFTADocument> createDocumentFromPath(const QString &path);
    std::unique_ptr<CFTADocument> createCurrentFTDoc() const;
    void checkDocSenderAndRecipient();

    bool isDocHasRecipient() const { return m_docHasRecipient; }
    bool isDocHasSender() const { return m_docHasSender; }
    bool finishAssistant() const { return m_finishAssistant; }

    QString sizeGroup() const { return m_sizeGroup; }
    QString sizeGroupPath() const;
    const QStringList &categories() const { return m_pathCategory; }
    // Paths relative to the category folder.
    const QStringList &designs() const { return m_pathDesign; }
    QString currentDocPath() const { return m_currentDocPath; }
    QImage currentPreview() const { return m_currentPreview; }
    // How many previews were drawn rather than taken from the cache.
    int renderedPreviewCount() const { return m_renderedPreviews; }
    int cachedPreviewCount() const { return m_previews.count(); }

private:
    static QImage renderPreview(const CFTADocument &design);
    void reloadDesignTable();

    QPointer<QLabel> _previewWell;
    QPointer<QTableWidget> _designTableView;
    QPointer<QComboBox> _categoryPopup;

    QStringList m_pathCategory;
    QStringList m_pathDesign;
    QString m_sizeGroup;
    QString m_currentDocPath;
    QImage m_currentPreview;
    bool m_docHasSender = true;
    bool m_docHasRecipient = true;
    bool m_finishAssistant = false;

    struct Preview
    {
        QImage image;
        QDateTime modified;
        qint64 size = 0;
    };
    QCache<QString, Preview> m_previews;
    int m_renderedPreviews = 0;
};

#include "app/pictures/CCClipArtCategories.h"

#include "app/pictures/CCPicturesLog.h"
#include "platform/PWFileReader.h"
#include "platform/PWKeyedUnarchiver.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace {

// A name from a category file reaches a picture of the collection only: no absolute path and
// no way up out of the picture folder.
bool staysInsideFolder(const QString &name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || name.contains(QChar(0)))
        return false;
    const QStringList parts = name.split(QLatin1Char('/'));
    return std::none_of(parts.begin(), parts.end(), [](const QString &part) { return part == QLatin1String(".."); });
}

} // namespace

CCClipArtCategories::CCClipArtCategories(QString folder)
    : m_folder(std::move(folder))
{
}

QStringList CCClipArtCategories::listCategories(const QString &folder)
{
    QStringList names;
    const QDir root(folder);
    if (folder.isEmpty() || !root.exists())
        return names;
    QDirIterator files(folder, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        const QFileInfo info(path);
        // Exactly "idx": "IDX" or "idx.bak" are not category files.
        if (info.suffix() != QLatin1String("idx") || info.completeBaseName().isEmpty())
            continue;
        const QString relative = root.relativeFilePath(path);
        names.append(relative.left(relative.size() - 4));
    }
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}

QStringList CCClipArtCategories::categoryNames()
{
    if (!m_names) {
        m_names = listCategories(m_folder);
        if (m_names->isEmpty())
            qCWarning(lcPictures).noquote() << QStringLiteral("No categories index found in '%1'").arg(m_folder);
    }
    return *m_names;
}

int CCClipArtCategories::initialPopupIndex(int entryCount, std::optional<qint64> stored)
{
    if (entryCount <= 1)
        return 0;
    const quint64 last = quint64(entryCount - 1);
    if (stored)
        return int(std::min(quint64(*stored), last));
    return entryCount >= 6 ? 5 : 1;
}

std::optional<QList<CCPictCatalog::Entry>> CCClipArtCategories::readCategoryFile(const QString &path, QString *why,
                                                                                   int *skipped)
{
    const auto fail = [why](const QString &reason) -> std::optional<QList<CCPictCatalog::Entry>> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    if (skipped)
        *skipped = 0;
    const PWFileReader::Result file =
        PWFileReader::read(path, PWFileReader::kCatalogueLimit, PWFileReader::propertyListSignature());
    if (!file.ok())
        return fail(file.reason);
    QString error;
    const std::optional<QVariant> root = PWKeyedUnarchiver::unarchiveObject(file.bytes, &error);
    if (!root)
        return fail(QStringLiteral("no keyed archive: %1").arg(error));
    if (root->typeId() != QMetaType::QVariantMap)
        return fail(QStringLiteral("its root object is no dictionary"));
    const QVariant values = root->toMap().value(QStringLiteral("values"));
    if (values.typeId() != QMetaType::QVariantList)
        return fail(QStringLiteral("it holds no \"values\" array"));

    QList<CCPictCatalog::Entry> entries;
    const QVariantList list = values.toList();
    entries.reserve(list.size());
    for (const QVariant &item : list) {
        const QVariantMap entry = item.typeId() == QMetaType::QVariantMap ? item.toMap() : QVariantMap();
        const QVariant name = entry.value(QStringLiteral("name"));
        const QVariant hint = entry.value(QStringLiteral("hint"));
        if (name.typeId() != QMetaType::QString || !staysInsideFolder(name.toString())) {
            if (skipped)
                ++*skipped;
            continue;
        }
        entries.append({name.toString(), hint.typeId() == QMetaType::QString ? hint.toString() : QString()});
    }
    return entries;
}

CCClipArtCategories::FileStamp CCClipArtCategories::stampOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {true, info.size(), info.lastModified().toMSecsSinceEpoch()};
}

CCClipArtCategories::Category *CCClipArtCategories::category(const QString &name)
{
    const auto cached = m_cache.find(name);
    if (cached != m_cache.end())
        return &cached->second;
    const QString path = m_folder + QLatin1Char('/') + name + QStringLiteral(".idx");
    const FileStamp stamp = stampOf(path);
    const auto failed = m_failedFiles.constFind(path);
    if (failed != m_failedFiles.constEnd() && failed.value() == stamp)
        return nullptr;
    QString why;
    int skipped = 0;
    std::optional<QList<CCPictCatalog::Entry>> values;
    if (staysInsideFolder(name))
        values = readCategoryFile(path, &why, &skipped);
    else
        why = QStringLiteral("no category name");
    if (!values) {
        m_failedFiles.insert(path, stamp);
        // A user who keeps choosing the category is not told the same thing every time.
        if (!m_loggedFailures.contains(path)) {
            m_loggedFailures.insert(path);
            qCWarning(lcPictures).noquote()
                << QStringLiteral("Error while loading category index '%1': %2").arg(path, why);
        }
        return nullptr;
    }
    if (skipped > 0) {
        qCWarning(lcPictures).noquote()
            << QStringLiteral("Category index '%1': %2 entries are no pictures and were left out").arg(path).arg(skipped);
    }
    m_failedFiles.remove(path);
    Category &made = m_cache[name];
    made.values = std::move(*values);
    made.name = name;
    return &made;
}

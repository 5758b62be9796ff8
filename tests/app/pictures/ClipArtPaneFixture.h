#pragma once

// A small clip-art collection in a temporary folder, made the user's content library for the
// test: pictures, category files and a keyword index built with the swish-e program.

#include "kernel/base/CAEnvironment.h"
#include "platform/PWKeyedArchiver.h"
#include "platform/PWUserDefaults.h"

#include "../../../tools/clipart/SwishIndexBuilder.h"
#include "TestSupport.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

class ClipArtPaneFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        PWUserDefaults::standardUserDefaults().removeObject(QStringLiteral("ClipArtCategoryIndex"));
        ASSERT_TRUE(QDir().mkpath(CAEnvironment::clipArtPath()));
        ASSERT_TRUE(QDir().mkpath(CAEnvironment::clipArtCategoriesIndexPath()));
    }

    void TearDown() override { PWUserDefaults::standardUserDefaults().removeObject(QStringLiteral("ClipArtCategoryIndex")); }

    // A picture file of the collection: a small square of one colour, a JPEG for "jpg" and PNG
    // bytes for any other extension (the catalogue only asks whether the file is there).
    static void picture(const QString &name, QColor colour = QColor(0x30, 0x80, 0xc0))
    {
        QImage image(24, 24, QImage::Format_RGB32);
        image.fill(colour);
        const char *format = name.endsWith(QStringLiteral(".jpg")) ? "JPG" : "PNG";
        ASSERT_TRUE(image.save(QDir(CAEnvironment::clipArtPath()).filePath(name), format)) << name.toStdString();
    }

    static void category(const QString &name, const QList<std::pair<QString, QString>> &entries)
    {
        QVariantList values;
        for (const auto &[file, caption] : entries)
            values.append(QVariantMap{{QStringLiteral("name"), file}, {QStringLiteral("hint"), caption}});
        writeCategoryFile(name, PWKeyedArchiver::archivedObject(QVariantMap{{QStringLiteral("values"), values}}));
    }

    static void writeCategoryFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(CAEnvironment::clipArtCategoriesIndexPath() + QLatin1Char('/') + name + QStringLiteral(".idx"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    // n pictures "<prefix>NN.png" in one category of that name.
    static void numberedCategory(const QString &name, int n)
    {
        QList<std::pair<QString, QString>> entries;
        for (int i = 0; i < n; ++i) {
            const QString file = name.toLower() + QStringLiteral("%1.png").arg(i, 2, 10, QLatin1Char('0'));
            picture(file);
            entries.append({file, name + QStringLiteral(" %1").arg(i)});
        }
        category(name, entries);
    }

    static void keywordIndex(const std::vector<SwishDocument> &documents)
    {
        QString error;
        ASSERT_TRUE(buildSwishIndex(QStringLiteral(PW_SWISHE_PROGRAM), CAEnvironment::clipArtIndexPath(), documents, &error))
            << error.toStdString();
    }

    // The collection the keyword tests search: exact hits of "cat" in three picture formats
    // (one whose file is missing), near hits that begin with "cat", and others.
    static void catCollection()
    {
        for (const char *name : {"alleycat.jpg", "bobcat.pdf", "cat.png", "caterpillar.hpi", "catalog.jpg", "dog.png",
                                 "caf\xc3\xa9.png"})
            picture(QString::fromUtf8(name));
        keywordIndex({
            {"cat.png,Cat", "cat animal pet"},
            {"dog.png,Dog", "dog animal pet"},
            {"Images/catalog.jpg,Catalogue", "catalogue office paper"},
            {"caterpillar.hpi,Caterpillar", "caterpillar insect garden"},
            {"bobcat.pdf,Bobcat", "bobcat cat wild"},
            {"alleycat.jpg,Alley cat", "cat alley street"},
            {"missing.png,Missing cat", "cat ghost"},
            {"caf\x8e.png,Caf\x8e", "caf\x8e drink"},
        });
    }

    QTemporaryDir m_dir;
    // The folder is the user's content library while the test lives.
    pwtest::ScopedDefault m_library {QStringLiteral("FTSharedContentLibraryPath"), m_dir.path()};
};

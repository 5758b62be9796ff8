#include "kernel/address/CFTFileField.h"

#include "kernel/foundation/CDDArchive.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class CFTFileFieldTest : public testing::Test
{
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    static QStringList series(CFTFileField &field, int items)
    {
        QStringList shown;
        for (int item = 1; item <= items; ++item) {
            field.SetValue(item);
            shown << field.GetText()->getString();
        }
        return shown;
    }

    QTemporaryDir m_dir;
};

TEST_F(CFTFileFieldTest, IdentityAndDefaults)
{
    CFTFileField field(0, 0, nullptr);
    EXPECT_EQ(field.getClassID(), 15);
    EXPECT_EQ(field.getType(), ctText);
    EXPECT_EQ(field.GetTextCategory(), tcFileData);
    EXPECT_EQ(field.GetCountFields(), fcWholeLine);
    EXPECT_EQ(field.GetNumberField(), 1);
}

TEST_F(CFTFileFieldTest, ItemsCycleThroughTheRecords)
{
    CFTFileField field(0, 0, nullptr);
    ASSERT_TRUE(field.SetFile(CDDString(write(QStringLiteral("names.txt"), "Ann\nBob\nCid\n"))));
    EXPECT_EQ(series(field, 5), (QStringList {QStringLiteral("Ann"), QStringLiteral("Bob"), QStringLiteral("Cid"),
                                             QStringLiteral("Ann"), QStringLiteral("Bob")}));
    field.Init(fcWholeLine, 1);
    field.CFTCounterField::Init(2, 2, false, 1);
    EXPECT_EQ(series(field, 2), (QStringList {QStringLiteral("Bob"), QStringLiteral("Ann")}));
}

TEST_F(CFTFileFieldTest, OneFieldOfEachLine)
{
    CFTFileField field(0, 0, nullptr);
    ASSERT_TRUE(field.SetFile(CDDString(write(QStringLiteral("rows.csv"), "a,,b\nc,d,e\n"))));
    field.SetCountFields(fcOneField);
    field.SetNumberField(2);
    field.SetDelimeter(CDDString(QStringLiteral(",")));
    EXPECT_EQ(series(field, 2), (QStringList {QStringLiteral("b"), QStringLiteral("d")}));
    field.SetNumberField(9);
    EXPECT_EQ(series(field, 2), (QStringList {QStringLiteral("b"), QStringLiteral("e")})) << "past the last: the last";
    EXPECT_EQ(field.getLabel()->getString(), QStringLiteral("rows.csv Col 9"));
}

TEST_F(CFTFileFieldTest, MissingFileShowsEmptyTextsAndSaysSo)
{
    CFTFileField field(0, 0, nullptr);
    EXPECT_FALSE(field.SetFile(CDDString(m_dir.filePath(QStringLiteral("nowhere.txt")))));
    EXPECT_EQ(series(field, 2), (QStringList {QString(), QString()}));
    EXPECT_EQ(field.getLabel()->getString(), QStringLiteral("File doesn't exist"));
}

// Switching to a file that cannot be read must not keep printing the previous file's lines.
TEST_F(CFTFileFieldTest, UnreadableNewFileDoesNotShowTheOldLines)
{
    CFTFileField field(0, 0, nullptr);
    ASSERT_TRUE(field.SetFile(CDDString(write(QStringLiteral("old.txt"), "old line"))));
    field.SetValue(1);
    ASSERT_EQ(field.GetText()->getString(), QStringLiteral("old line"));
    field.SetFile(CDDString(m_dir.filePath(QStringLiteral("gone.txt"))));
    field.SetValue(1);
    EXPECT_TRUE(field.GetText()->isEmpty());
}

TEST_F(CFTFileFieldTest, SavedAndLoadedReadsTheFileAgain)
{
    const QString path = write(QStringLiteral("data.txt"), "x;y\nz;w");
    CFTFileField saved(0, 0, nullptr);
    saved.SetFile(CDDString(path));
    saved.SetCountFields(fcOneField);
    saved.SetNumberField(2);
    saved.SetDelimeter(CDDString(QStringLiteral(";")));
    saved.CFTCounterField::Init(2, 1, false, 1);
    CDDArchive archive(true);
    archive.SetClassID(saved.getClassID());
    saved.Serialize(archive, nullptr);
    archive.setStoring(false);

    const std::unique_ptr<CFTComponent> made = CFTComponent::CreateFromArchive(archive, nullptr, nullptr);
    auto *loaded = dynamic_cast<CFTFileField *>(made.get());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetFileName().getData(), path);
    EXPECT_EQ(loaded->GetCountFields(), fcOneField);
    EXPECT_EQ(loaded->GetNumberField(), 2);
    EXPECT_EQ(loaded->GetDelimeter().getData(), QStringLiteral(";"));
    EXPECT_EQ(loaded->GetStartNumber(), 2);
    loaded->SetValue(1);
    EXPECT_EQ(loaded->GetText()->getString(), QStringLiteral("w"));
}

QStringList g_messages;

void collectMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    g_messages << message;
}

TEST_F(CFTFileFieldTest, FieldWithoutAFileOpensNothingWhenRead)
{
    CFTFileField saved(0, 0, nullptr);
    EXPECT_TRUE(saved.GetFileName().isEmpty());
    CDDArchive archive(true);
    archive.SetClassID(saved.getClassID());
    saved.Serialize(archive, nullptr);
    archive.setStoring(false);

    g_messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectMessage);
    const std::unique_ptr<CFTComponent> made = CFTComponent::CreateFromArchive(archive, nullptr, nullptr);
    qInstallMessageHandler(previous);
    auto *loaded = dynamic_cast<CFTFileField *>(made.get());
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(g_messages.isEmpty()) << g_messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(loaded->SetFile(CDDString()));
    // A new field already shows the label a read one shows, so reading does not resize it.
    EXPECT_EQ(loaded->getLabel()->getString(), saved.getLabel()->getString());
    EXPECT_FALSE(saved.getLabel()->getString().isEmpty());
    EXPECT_NEAR(loaded->GetSizeX(), saved.GetSizeX(), 1e-3);
    EXPECT_NEAR(loaded->GetSizeY(), saved.GetSizeY(), 1e-3);
}

TEST_F(CFTFileFieldTest, EmptyPathDropsTheLinesOfTheFileBefore)
{
    CFTFileField field(0, 0, nullptr);
    ASSERT_TRUE(field.SetFile(CDDString(write(QStringLiteral("data.txt"), "first\nsecond"))));
    EXPECT_EQ(series(field, 1), QStringList {QStringLiteral("first")});
    EXPECT_FALSE(field.SetFile(CDDString()));
    EXPECT_TRUE(field.GetFileName().isEmpty());
    EXPECT_EQ(series(field, 2), (QStringList {QString(), QString()}));
}

} // namespace

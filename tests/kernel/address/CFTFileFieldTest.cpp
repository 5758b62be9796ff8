#include "kernel/address/CFTFileField.h"

#include "TestSupport.h"
#include "kernel/foundation/CDDArchive.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class CFTFileFieldTest : public testing::Test
{
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(pwtest::writeFile(path, bytes));
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

    static std::unique_ptr<CFTComponent> roundTrip(CFTFileField &saved)
    {
        CDDArchive archive(true);
        archive.SetClassID(saved.getClassID());
        saved.Serialize(archive, nullptr);
        archive.setStoring(false);
        return CFTComponent::CreateFromArchive(archive, nullptr, nullptr);
    }

    QTemporaryDir m_dir;
};

TEST_F(CFTFileFieldTest, ItemsCycleThroughTheRecords)
{
    CFTFileField field(0, 0, nullptr);
    ASSERT_TRUE(field.SetFile(CDDString(write(u"names.txt"_s, "Ann\nBob\nCid\n"))));
    EXPECT_EQ(series(field, 5), (QStringList {u"Ann"_s, u"Bob"_s, u"Cid"_s, u"Ann"_s, u"Bob"_s}));
    field.Init(fcWholeLine, 1);
    field.CFTCounterField::Init(2, 2, false, 1);
    EXPECT_EQ(series(field, 2), (QStringList {u"Bob"_s, u"Ann"_s}));
}

TEST_F(CFTFileFieldTest, OneFieldOfEachLine)
{
    CFTFileField field(0, 0, nullptr);
    ASSERT_TRUE(field.SetFile(CDDString(write(u"rows.csv"_s, "a,,b\nc,d,e\n"))));
    field.SetCountFields(fcOneField);
    field.SetNumberField(2);
    field.SetDelimeter(CDDString(u","_s));
    EXPECT_EQ(series(field, 2), (QStringList {u"b"_s, u"d"_s}));
    field.SetNumberField(9);
    EXPECT_EQ(series(field, 2), (QStringList {u"b"_s, u"e"_s})) << "past the last: the last";
    EXPECT_EQ(field.getLabel()->getString(), u"rows.csv Col 9"_s);
}

// A missing, unreadable or empty path must not keep printing the previous file's lines.
TEST_F(CFTFileFieldTest, NoFileShowsEmptyTextsAndSaysSo)
{
    CFTFileField field(0, 0, nullptr);
    EXPECT_FALSE(field.SetFile(CDDString(m_dir.filePath(u"nowhere.txt"_s))));
    EXPECT_EQ(series(field, 2), (QStringList {QString(), QString()}));
    EXPECT_EQ(field.getLabel()->getString(), u"File doesn't exist"_s);

    for (const QString &next : {m_dir.filePath(u"gone.txt"_s), QString()}) {
        ASSERT_TRUE(field.SetFile(CDDString(write(u"old.txt"_s, "old line\nsecond"))));
        ASSERT_EQ(series(field, 1), QStringList {u"old line"_s});
        EXPECT_FALSE(field.SetFile(CDDString(next)));
        EXPECT_EQ(series(field, 2), (QStringList {QString(), QString()})) << next.toStdString();
    }
    EXPECT_TRUE(field.GetFileName().isEmpty());
}

TEST_F(CFTFileFieldTest, SavedAndLoadedReadsTheFileAgain)
{
    const QString path = write(u"data.txt"_s, "x;y\nz;w");
    CFTFileField saved(0, 0, nullptr);
    saved.SetFile(CDDString(path));
    saved.SetCountFields(fcOneField);
    saved.SetNumberField(2);
    saved.SetDelimeter(CDDString(u";"_s));
    saved.CFTCounterField::Init(2, 1, false, 1);

    const std::unique_ptr<CFTComponent> made = roundTrip(saved);
    auto *loaded = dynamic_cast<CFTFileField *>(made.get());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetFileName().getData(), path);
    EXPECT_EQ(loaded->GetCountFields(), fcOneField);
    EXPECT_EQ(loaded->GetNumberField(), 2);
    EXPECT_EQ(loaded->GetDelimeter().getData(), u";"_s);
    EXPECT_EQ(loaded->GetStartNumber(), 2);
    loaded->SetValue(1);
    EXPECT_EQ(loaded->GetText()->getString(), u"w"_s);
}

TEST_F(CFTFileFieldTest, FieldWithoutAFileOpensNothingWhenRead)
{
    CFTFileField saved(0, 0, nullptr);
    std::unique_ptr<CFTComponent> made;
    {
        pwtest::LogCapture log;
        made = roundTrip(saved);
        EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join(QLatin1Char('\n')).toStdString();
    }
    auto *loaded = dynamic_cast<CFTFileField *>(made.get());
    ASSERT_TRUE(loaded);
    EXPECT_FALSE(loaded->SetFile(CDDString()));
    // A new field already shows the label a read one shows, so reading does not resize it.
    EXPECT_FALSE(saved.getLabel()->getString().isEmpty());
    EXPECT_EQ(loaded->getLabel()->getString(), saved.getLabel()->getString());
    EXPECT_NEAR(loaded->GetSizeX(), saved.GetSizeX(), 1e-3);
    EXPECT_NEAR(loaded->GetSizeY(), saved.GetSizeY(), 1e-3);
}

} // namespace

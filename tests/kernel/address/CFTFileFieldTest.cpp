#include "kernel/address/CFTFileField.h"

#include "AddressTestSupport.h"

#include <QTemporaryDir>

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
    QTemporaryDir m_dir;
    CFTFileField m_field {0, 0, nullptr};
};

TEST_F(CFTFileFieldTest, ItemsCycleThroughTheRecords)
{
    ASSERT_TRUE(m_field.SetFile(CDDString(write(u"names.txt"_s, "Ann\nBob\nCid\n"))));
    EXPECT_EQ(series(m_field, 5), (QStringList {u"Ann"_s, u"Bob"_s, u"Cid"_s, u"Ann"_s, u"Bob"_s}));
    m_field.Init(fcWholeLine, 1);
    m_field.CFTCounterField::Init(2, 2, false, 1);
    EXPECT_EQ(series(m_field, 2), (QStringList {u"Bob"_s, u"Ann"_s}));
}

TEST_F(CFTFileFieldTest, OneFieldOfEachLine)
{
    ASSERT_TRUE(m_field.SetFile(CDDString(write(u"rows.csv"_s, "a,,b\nc,d,e\n"))));
    m_field.SetCountFields(fcOneField);
    m_field.SetNumberField(2);
    m_field.SetDelimeter(CDDString(u","_s));
    EXPECT_EQ(series(m_field, 2), (QStringList {u"b"_s, u"d"_s}));
    m_field.SetNumberField(9);
    EXPECT_EQ(series(m_field, 2), (QStringList {u"b"_s, u"e"_s})) << "past the last: the last";
    EXPECT_EQ(m_field.getLabel()->getString(), u"rows.csv Col 9"_s);
}

// A missing, unreadable or empty path must not keep printing the previous file's lines.
TEST_F(CFTFileFieldTest, NoFileShowsEmptyTextsAndSaysSo)
{
    EXPECT_FALSE(m_field.SetFile(CDDString(m_dir.filePath(u"nowhere.txt"_s))));
    EXPECT_EQ(series(m_field, 2), (QStringList {QString(), QString()}));
    EXPECT_EQ(m_field.getLabel()->getString(), u"File doesn't exist"_s);
    for (const QString &next : {m_dir.filePath(u"gone.txt"_s), QString()}) {
        ASSERT_TRUE(m_field.SetFile(CDDString(write(u"old.txt"_s, "old line\nsecond"))));
        ASSERT_EQ(series(m_field, 1), QStringList {u"old line"_s});
        EXPECT_FALSE(m_field.SetFile(CDDString(next)));
        EXPECT_EQ(series(m_field, 2), (QStringList {QString(), QString()})) << next.toStdString();
    }
    EXPECT_TRUE(m_field.GetFileName().isEmpty());
}

// The counter's parameters travel in the same archive as the file's.
TEST_F(CFTFileFieldTest, SavedAndLoadedReadsTheFileAgain)
{
    const QString path = write(u"data.txt"_s, "x;y\nz;w");
    m_field.SetFile(CDDString(path));
    m_field.SetCountFields(fcOneField);
    m_field.SetNumberField(2);
    m_field.SetDelimeter(CDDString(u";"_s));
    m_field.CFTCounterField::Init(2, 7, true, 6);
    const auto loaded = addrtest::roundTrip<CFTFileField>(m_field);
    ASSERT_TRUE(loaded);
    EXPECT_EQ((QStringList {loaded->GetFileName().getData(), loaded->GetDelimeter().getData()}),
              (QStringList {path, u";"_s}));
    EXPECT_EQ((std::vector<int> {loaded->GetCountFields(), loaded->GetNumberField(), loaded->GetStartNumber(),
                                 loaded->GetIncrement(), loaded->IsLeadingZeros(), loaded->GetZerosDigits()}),
              (std::vector<int> {fcOneField, 2, 2, 7, 1, 6}));
    loaded->CFTCounterField::Init(2, 1, false, 1);
    loaded->SetValue(1);
    EXPECT_EQ(loaded->GetText()->getString(), u"w"_s);
}

TEST_F(CFTFileFieldTest, FieldWithoutAFileOpensNothingWhenRead)
{
    std::unique_ptr<CFTFileField> loaded;
    {
        pwtest::LogCapture log;
        loaded = addrtest::roundTrip<CFTFileField>(m_field);
        EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join(QLatin1Char('\n')).toStdString();
    }
    ASSERT_TRUE(loaded);
    EXPECT_FALSE(loaded->SetFile(CDDString()));
    // A new field already shows the label a read one shows, so reading does not resize it.
    EXPECT_FALSE(m_field.getLabel()->getString().isEmpty());
    EXPECT_EQ(loaded->getLabel()->getString(), m_field.getLabel()->getString());
    EXPECT_NEAR(loaded->GetSizeX(), m_field.GetSizeX(), 1e-3);
    EXPECT_NEAR(loaded->GetSizeY(), m_field.GetSizeY(), 1e-3);
}

} // namespace

#include "kernel/base/CDDFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class CDDFileTest : public testing::Test
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
    // The text of a record, or "<null>".
    static QString record(const CDDFile &file, unsigned int number, fieldsCount mode = fcWholeLine, int field = 1,
                          const QString &delimiter = QString())
    {
        const std::optional<CDDString> text = file.GetStringFromFile(number, mode, field, CDDString(delimiter));
        return text ? text->getData() : QStringLiteral("<null>");
    }
    QTemporaryDir m_dir;
};

TEST_F(CDDFileTest, RecordsRunOnFromTheFirstLineAfterTheLast)
{
    CDDFile file;
    ASSERT_TRUE(file.SetFile(CDDString(write(QStringLiteral("three.txt"), "one\ntwo\nthree\n"))));
    EXPECT_EQ(file.lineCount(), 3) << "a final line end adds no empty record";
    EXPECT_EQ(QStringList({record(file, 1), record(file, 3), record(file, 4)}),
              QStringList({QStringLiteral("one"), QStringLiteral("three"), QStringLiteral("one")}));
    EXPECT_EQ(record(file, 0), QStringLiteral("one")) << "(2^32 - 1) mod 3 is 0";
}

TEST_F(CDDFileTest, LinesEndAtEveryLineEndAndAreDecodedByTheirByteOrderMark)
{
    const QByteArray bytes = QStringLiteral("  a \r\nb\rc\u0085d\u2028e\u2029\t f\t").toUtf8();
    EXPECT_EQ(CDDFile::splitLines(bytes).join(u','), QStringLiteral("a,b,c,d,e,f"));
    QByteArray utf16("\xFF\xFE", 2);
    const QString text = QStringLiteral("Zo\u00eb\nX");
    utf16.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    EXPECT_EQ(CDDFile::splitLines(utf16), (QStringList {QStringLiteral("Zo\u00eb"), QStringLiteral("X")}));
    EXPECT_EQ(CDDFile::splitLines(QByteArray("\xEF\xBB\xBFZo\xC3\xAB")), QStringList {QStringLiteral("Zo\u00eb")});
    EXPECT_EQ(CDDFile::splitLines(QByteArray("Zo\xEB")), QStringList {QStringLiteral("Zo\u00eb")});
}

TEST_F(CDDFileTest, BlankLinesAreEmptyRecordsEmptyFieldsDoNotCountAndWholeLinesIgnoreTheDelimiter)
{
    CDDFile file;
    ASSERT_TRUE(file.SetFile(CDDString(write(QStringLiteral("blank.txt"), "a\n   \nc"))));
    EXPECT_EQ(record(file, 2) + QLatin1Char('|') + record(file, 2, fcOneField), QStringLiteral("|<null>"));
    // Past the last field gives the last, below one the first; an empty delimiter is a blank.
    const struct { const char *line, *delimiter; int field; const char *expected; } cases[] = {{"Smith,,John", ",", 2, "John"},
        {"Smith,,John", ",", 5, "John"}, {",Smith,John,", ",", 1, "Smith"}, {"a  b", "", 2, "b"}, {"a::b:c", "::", 2, "b:c"},
        {"a;b", ";", 0, "a"}, {",,,", ",", 1, "<null>"}};
    for (const auto &c : cases) {
        CDDFile lineFile;
        ASSERT_TRUE(lineFile.SetFile(CDDString(write(QStringLiteral("line.txt"), c.line))));
        EXPECT_EQ(record(lineFile, 1, fcOneField, c.field, QString::fromUtf8(c.delimiter)),
                  QString::fromUtf8(c.expected))
            << c.line << " " << c.field;
    }
    CDDFile wholeLineFile;
    ASSERT_TRUE(wholeLineFile.SetFile(CDDString(write(QStringLiteral("w.txt"), "a,b,c"))));
    EXPECT_EQ(record(wholeLineFile, 1, fcWholeLine, 3, QStringLiteral(",")), QStringLiteral("a,b,c"));
}

// A new file that cannot be read must not leave the old file's lines answering: a series printed
// from it would silently show another file's data.
TEST_F(CDDFileTest, UnreadableOrEmptyFileLeavesNoLines)
{
    CDDFile file;
    EXPECT_EQ(record(file, 1), QStringLiteral("<null>")) << "no file read yet";
    ASSERT_TRUE(file.SetFile(CDDString(write(QStringLiteral("first.txt"), "a\nb"))));
    const QString missing = m_dir.filePath(QStringLiteral("missing.txt"));
    EXPECT_FALSE(file.SetFile(CDDString(missing)));
    EXPECT_EQ(file.GetFileName().getData(), missing);
    EXPECT_EQ(record(file, 1), QStringLiteral("<null>"));
    ASSERT_TRUE(file.SetFile(CDDString(write(QStringLiteral("again.txt"), "a"))));
    EXPECT_FALSE(file.SetFile(CDDString(write(QStringLiteral("empty.txt"), ""))));
    EXPECT_EQ(file.lineCount(), 0);
    EXPECT_FALSE(file.SetFile(CDDString(m_dir.path()))) << "a folder is not a file";
}

// A relative name is read from the folder in effect (the design's), its reason kept when it is not
// there; the name stays as given.
TEST_F(CDDFileTest, ARelativeNameIsReadFromTheFolderInEffect)
{
    write(QStringLiteral("lines.txt"), "beside\n");
    CDDFile file;
    {
        const CDDFile::Folder folder(m_dir.path());
        ASSERT_TRUE(file.SetFile(CDDString(QStringLiteral("lines.txt"))));
        EXPECT_EQ(record(file, 1), QStringLiteral("beside"));
        EXPECT_EQ(file.GetFileName().getData(), QStringLiteral("lines.txt"));
        EXPECT_EQ(file.readPath().getData(), m_dir.filePath(QStringLiteral("lines.txt")));
        EXPECT_TRUE(file.unreadReason().isEmpty());
        EXPECT_FALSE(file.SetFile(CDDString(QStringLiteral("gone.txt"))));
        EXPECT_EQ(file.readPath().getData(), m_dir.filePath(QStringLiteral("gone.txt")));
        EXPECT_EQ(file.unreadReason(), QStringLiteral("No such file or directory"));
    }
    ASSERT_NE(QDir::currentPath(), m_dir.path());
    EXPECT_FALSE(file.SetFile(CDDString(QStringLiteral("lines.txt")))) << "without a folder: the working folder";
    EXPECT_EQ(file.readPath().getData(), QStringLiteral("lines.txt"));
    EXPECT_FALSE(file.SetFile(CDDString()));
    EXPECT_TRUE(file.unreadReason().isEmpty()) << "no file named, none missing";
}

} // namespace

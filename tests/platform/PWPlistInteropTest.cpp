#include "platform/PWPlist.h"

#include "PWPlistPrinter.h"
#include "TestSupport.h"

#include <QDate>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

// What we write, other readers read: libplist's command-line converter and Python's plistlib.
namespace {

enum class Form { Xml, Binary };

QDateTime utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int msec = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), Qt::UTC);
}

// The values every other reader is asked about. The XML form has whole seconds; the binary form
// keeps a quarter second. A reader of XML may keep a UID as the dictionary it is spelled as there.
PWPlist sample(Form form, bool uidAsDictionary = false)
{
    const bool binary = form == Form::Binary;
    const PWPlist uid = uidAsDictionary
        ? PWPlist(PWPlist::Dictionary {{QStringLiteral("CF$UID"), PWPlist::fromInteger(7)}})
        : PWPlist::fromUid(7);
    return PWPlist::Dictionary {
        {QStringLiteral("zulu"), PWPlist::fromString(QStringLiteral("Grüße aus 東京 — 📦 <&>"))},
        {QStringLiteral("alpha"),
         PWPlist::Array {PWPlist::fromInteger(-1), PWPlist::fromInteger(-300), PWPlist::fromInteger(-4294967297LL),
                         PWPlist::fromInteger(std::numeric_limits<qint64>::min()),
                         PWPlist::fromInteger(std::numeric_limits<qint64>::max()), PWPlist::fromInteger(0)}},
        {QStringLiteral("mike"), PWPlist::fromReal(-0.1)},
        {QStringLiteral("huge"), PWPlist::fromReal(1e300)},
        {QStringLiteral("yes"), PWPlist::fromBool(true)},
        {QStringLiteral("no"), PWPlist::fromBool(false)},
        {QStringLiteral("when"), PWPlist::fromDate(utc(2024, 2, 29, 12, 30, 15, binary ? 250 : 0))},
        {QStringLiteral("before"), PWPlist::fromDate(utc(1969, 7, 20, 20, 17, 40))},
        {QStringLiteral("bytes"), PWPlist::fromData(QByteArray("\0\1\xfe\xff", 4))},
        {QStringLiteral("uid"), uid},
        {QStringLiteral("nested"),
         PWPlist::Dictionary {{QStringLiteral("b"), PWPlist::Array {PWPlist::Dictionary(), PWPlist::Array()}},
                              {QStringLiteral("a"), PWPlist::fromString(QString())}}},
    };
}

QByteArray serialize(const PWPlist &value, Form form)
{
    return form == Form::Xml ? value.toXml() : value.toBinary();
}

std::string formName(const testing::TestParamInfo<Form> &info)
{
    return info.param == Form::Xml ? "Xml" : "Binary";
}

// Runs a program to its end; the message tells what went wrong, with its output.
bool run(const QString &program, const QStringList &arguments, QString *message)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(30000) || !process.waitForFinished(120000)) {
        *message = QStringLiteral("%1 did not run: %2").arg(program, process.errorString());
        return false;
    }
    *message = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString python()
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (program.isEmpty())
        return QString();
    QString message;
    return run(program, {QStringLiteral("-c"), QStringLiteral("import plistlib")}, &message) ? program : QString();
}

class PWPlistInteropTest : public testing::TestWithParam<Form>
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }
    QString path(const QString &name) const { return m_folder.filePath(name); }

    QTemporaryDir m_folder;
};

TEST_P(PWPlistInteropTest, PlistutilConvertsWhatWeWriteToTheSameValues)
{
    const QString plistutil = QStandardPaths::findExecutable(QStringLiteral("plistutil"));
    if (plistutil.isEmpty())
        GTEST_SKIP() << "plistutil (libplist-utils) is not installed";
    const Form form = GetParam();
    const PWPlist original = sample(form);
    ASSERT_TRUE(pwtest::writeFile(path(QStringLiteral("in.plist")), serialize(original, form)));
    QString message;
    ASSERT_TRUE(run(plistutil,
                    {QStringLiteral("-i"), path(QStringLiteral("in.plist")), QStringLiteral("-o"),
                     path(QStringLiteral("out.plist")), QStringLiteral("-f"),
                     form == Form::Xml ? QStringLiteral("bin") : QStringLiteral("xml")},
                    &message))
        << message.toStdString();
    const QByteArray converted = pwtest::readFile(path(QStringLiteral("out.plist")));
    EXPECT_EQ(converted.startsWith("bplist00"), form == Form::Xml);
    QString error;
    const std::optional<PWPlist> read = PWPlist::parse(converted, &error);
    ASSERT_TRUE(read) << error.toStdString();
    // The converter keeps a UID read from XML as the dictionary it is spelled as there, and
    // writes whole seconds into XML.
    const PWPlist expected = sample(Form::Xml, form == Form::Xml);
    EXPECT_EQ(*read, expected);
    EXPECT_EQ(read->toDictionary().keys(), expected.toDictionary().keys());
}

// A round trip through our own writer and reader would hide a fault they share (a wrong epoch,
// say); here Python compares what it reads with values spelled out in its own terms.
TEST_P(PWPlistInteropTest, PythonReadsTheValuesWeMeant)
{
    const QString program = python();
    if (program.isEmpty())
        GTEST_SKIP() << "python3 with plistlib is not available";
    const Form form = GetParam();
    PWPlist::Dictionary value = sample(form).toDictionary();
    value.insert(QStringLiteral("distant"),
                 PWPlist::Array {PWPlist::fromDate(utc(1, 1, 1)), PWPlist::fromDate(utc(4001, 1, 1)),
                                 PWPlist::fromDate(utc(2000, 12, 31, 23, 59, 59))});
    ASSERT_TRUE(pwtest::writeFile(path(QStringLiteral("in.plist")), serialize(value, form)));
    const QString script = QStringLiteral(
        "import plistlib, sys\n"
        "from datetime import datetime as D\n"
        "binary = sys.argv[2] == 'binary'\n"
        "value = plistlib.load(open(sys.argv[1], 'rb'))\n"
        "expected = {\n"
        "  'zulu': 'Gr\\u00fc\\u00dfe aus \\u6771\\u4eac \\u2014 \\U0001f4e6 <&>',\n"
        "  'alpha': [-1, -300, -4294967297, -2**63, 2**63 - 1, 0],\n"
        "  'mike': -0.1, 'huge': 1e300, 'yes': True, 'no': False,\n"
        "  'when': D(2024, 2, 29, 12, 30, 15, 250000 if binary else 0),\n"
        "  'before': D(1969, 7, 20, 20, 17, 40),\n"
        "  'bytes': b'\\x00\\x01\\xfe\\xff',\n"
        "  'uid': plistlib.UID(7) if binary else {'CF$UID': 7},\n"
        "  'nested': {'b': [{}, []], 'a': ''},\n"
        "  'distant': [D(1, 1, 1), D(4001, 1, 1), D(2000, 12, 31, 23, 59, 59)],\n"
        "}\n"
        "problems = [k for k in expected if value.get(k) != expected[k] or type(value.get(k)) != type(expected[k])]\n"
        "if list(value) != list(expected): problems.append('key order %r' % list(value))\n"
        "for k in problems: print(k, repr(value.get(k)), '!=', repr(expected.get(k)))\n"
        "sys.exit(1 if problems else 0)\n");
    QString message;
    EXPECT_TRUE(run(program,
                    {QStringLiteral("-c"), script, path(QStringLiteral("in.plist")),
                     form == Form::Xml ? QStringLiteral("xml") : QStringLiteral("binary")},
                    &message))
        << message.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Forms, PWPlistInteropTest, testing::Values(Form::Xml, Form::Binary), formName);

} // namespace

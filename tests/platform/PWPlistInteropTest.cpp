#include "platform/PWPlist.h"

#include "PWPlistPrinter.h"
#include "PythonRunner.h"
#include "TestSupport.h"

#include <QDate>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

// What we write, other readers read: libplist's command-line converter and Python's plistlib.
namespace {

// The values every other reader is asked about; milliseconds survive the binary form only.
PWPlist sample(bool binary)
{
    const auto integer = &PWPlist::fromInteger;
    return PWPlist::Dictionary {
        {QStringLiteral("zulu"), PWPlist::fromString(QStringLiteral("Grüße aus 東京 — 📦 <&>"))},
        {QStringLiteral("alpha"),
         PWPlist::Array {integer(-1), integer(-300), integer(-4294967297LL),
                         integer(std::numeric_limits<qint64>::min()), integer(std::numeric_limits<qint64>::max()),
                         integer(0)}},
        {QStringLiteral("mike"), PWPlist::fromReal(-0.1)},
        {QStringLiteral("huge"), PWPlist::fromReal(1e300)},
        {QStringLiteral("yes"), PWPlist::fromBool(true)},
        {QStringLiteral("when"), PWPlist::fromDate(pwtest::utc(2024, 2, 29, 12, 30, 15, binary ? 250 : 0))},
        {QStringLiteral("before"), PWPlist::fromDate(pwtest::utc(1969, 7, 20, 20, 17, 40))},
        {QStringLiteral("bytes"), PWPlist::fromData(QByteArray("\0\1\xfe\xff", 4))},
        {QStringLiteral("uid"), PWPlist::fromUid(7)},
        {QStringLiteral("nested"),
         PWPlist::Dictionary {{QStringLiteral("b"), PWPlist::Array {PWPlist::Dictionary(), PWPlist::Array()}},
                              {QStringLiteral("a"), PWPlist::fromString(QString())}}},
    };
}

// plistutil reads our binary form and writes XML, which we read back as the values we meant.
TEST(PWPlistInteropTest, Plistutil)
{
    const QString plistutil = QStandardPaths::findExecutable(QStringLiteral("plistutil"));
    if (plistutil.isEmpty())
        GTEST_SKIP() << "plistutil (libplist-utils) is not installed";
    QTemporaryDir folder;
    const QString in = folder.filePath(QStringLiteral("in.plist"));
    const QString out = folder.filePath(QStringLiteral("out.plist"));
    ASSERT_TRUE(pwtest::writeFile(in, sample(true).toBinary()));
    QByteArray output;
    ASSERT_TRUE(pwtest::run(plistutil, {QStringLiteral("-i"), in, QStringLiteral("-o"), out, QStringLiteral("-f"),
                                        QStringLiteral("xml")},
                            &output))
        << output.toStdString();
    const QByteArray converted = pwtest::readFile(out);
    EXPECT_TRUE(converted.startsWith("<?xml"));
    const std::optional<PWPlist> read = PWPlist::parse(converted);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, sample(false));
    EXPECT_EQ(read->toDictionary().keys(), sample(false).toDictionary().keys());
}

// A round trip through our own writer and reader would hide a fault they share (a wrong epoch,
// say); here Python compares what it reads of the binary form with values spelled out in its own
// terms.
TEST(PWPlistInteropTest, PythonPlistlib)
{
    const QString python = pwtest::pythonWith(QStringLiteral("plistlib"));
    if (python.isEmpty())
        GTEST_SKIP() << "python3 with plistlib is not available";
    PWPlist::Dictionary value = sample(true).toDictionary();
    value.insert(QStringLiteral("distant"),
                 PWPlist::Array {PWPlist::fromDate(pwtest::utc(1, 1, 1)), PWPlist::fromDate(pwtest::utc(4001, 1, 1)),
                                 PWPlist::fromDate(pwtest::utc(2000, 12, 31, 23, 59, 59))});
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("in.plist"));
    ASSERT_TRUE(pwtest::writeFile(path, PWPlist(value).toBinary()));
    const QString script = QStringLiteral(
        "import plistlib, sys\n"
        "from datetime import datetime as D\n"
        "value = plistlib.load(open(sys.argv[1], 'rb'))\n"
        "expected = {\n"
        "  'zulu': 'Gr\\u00fc\\u00dfe aus \\u6771\\u4eac \\u2014 \\U0001f4e6 <&>',\n"
        "  'alpha': [-1, -300, -4294967297, -2**63, 2**63 - 1, 0],\n"
        "  'mike': -0.1, 'huge': 1e300, 'yes': True,\n"
        "  'when': D(2024, 2, 29, 12, 30, 15, 250000),\n"
        "  'before': D(1969, 7, 20, 20, 17, 40),\n"
        "  'bytes': b'\\x00\\x01\\xfe\\xff',\n"
        "  'uid': plistlib.UID(7),\n"
        "  'nested': {'b': [{}, []], 'a': ''},\n"
        "  'distant': [D(1, 1, 1), D(4001, 1, 1), D(2000, 12, 31, 23, 59, 59)],\n"
        "}\n"
        "problems = [k for k in expected if value.get(k) != expected[k] or type(value.get(k)) != type(expected[k])]\n"
        "if list(value) != list(expected): problems.append('key order %r' % list(value))\n"
        "for k in problems: print(k, repr(value.get(k)), '!=', repr(expected.get(k)))\n"
        "sys.exit(1 if problems else 0)\n");
    QByteArray output;
    EXPECT_TRUE(pwtest::run(python, {QStringLiteral("-c"), script, path}, &output)) << output.toStdString();
}

} // namespace

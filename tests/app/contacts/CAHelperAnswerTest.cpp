// The helper answer's bytes stage: the same messages however the bytes arrive, and its limits.
#include "app/contacts/CAHelperAnswer.h"

#include <QJsonObject>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct AnswerCase
{
    const char *name;
    QByteArray bytes;
    CAHelperAnswer::Limits limits;
    std::optional<quint32> count;
    std::optional<quint32> index;
    // Last names of the records kept, or -1 entries when no records line came.
    QStringList lastNames;
    bool records;
    qsizetype leftOut;
    const char *reportedError;
    bool failed;
    int unreadLines;
};

CAHelperAnswer::Limits limits(qsizetype bytes, qsizetype records)
{
    CAHelperAnswer::Limits limits;
    limits.maxBytes = bytes;
    limits.maxRecords = records;
    return limits;
}

class CAHelperAnswerTest : public ::testing::TestWithParam<AnswerCase>
{
};

void expectAnswer(const CAHelperAnswer &answer, const AnswerCase &expected)
{
    EXPECT_EQ(answer.count(), expected.count);
    EXPECT_EQ(answer.index(), expected.index);
    ASSERT_EQ(answer.records().has_value(), expected.records);
    if (answer.records()) {
        QStringList names;
        for (const QJsonValue &record : *answer.records())
            names.append(record.toObject().value(QLatin1String("lastname")).toString());
        EXPECT_EQ(names, expected.lastNames);
    }
    EXPECT_EQ(answer.recordsLeftOut(), expected.leftOut);
    EXPECT_EQ(answer.reportedError(), QString::fromUtf8(expected.reportedError));
    EXPECT_EQ(!answer.failure().isEmpty(), expected.failed) << answer.failure().toStdString();
    EXPECT_EQ(answer.unreadLines(), expected.unreadLines);
}

// Whole, one byte at a time and in chunks of seven: every way of arriving reads the same.
TEST_P(CAHelperAnswerTest, ReadsTheSameHoweverTheBytesArrive)
{
    const AnswerCase &expected = GetParam();
    {
        SCOPED_TRACE("whole");
        expectAnswer(CAHelperAnswer::parse(expected.bytes, expected.limits), expected);
    }
    for (const qsizetype step : {qsizetype(1), qsizetype(7)}) {
        SCOPED_TRACE(step);
        CAHelperAnswer answer(expected.limits);
        bool within = true;
        for (qsizetype at = 0; within && at < expected.bytes.size(); at += step)
            within = answer.feed(QByteArrayView(expected.bytes).sliced(at, std::min(step, expected.bytes.size() - at)));
        if (within)
            answer.finish();
        expectAnswer(answer, expected);
    }
}

const QByteArray kTwo = R"({"records": [{"lastname": "Ash"}, {"lastname": "Byron"}]})";

INSTANTIATE_TEST_SUITE_P(
    Answers, CAHelperAnswerTest,
    ::testing::Values(
        AnswerCase {"ProgressThenRecords", "{\"count\": 2}\n{\"index\": 1}\n\n" + kTwo + "\n", {}, 2u, 1u, {u"Ash"_s, u"Byron"_s}, true, 0, "", false, 0},
        AnswerCase {"LastLineWithoutLineFeed", "{\"count\": 2}\r\n" + kTwo, {}, 2u, std::nullopt, {u"Ash"_s, u"Byron"_s}, true, 0, "", false, 0},
        AnswerCase {"ReportedError", R"({"error": {"number": -1728, "message": "no such object"}})" "\n", {}, std::nullopt, std::nullopt, {},
                    false, 0, "error #-1728 - \"no such object\"", false, 0},
        AnswerCase {"JunkLinesAreCounted", "not json\n[1, 2]\n{\"index\": -5}\n" + kTwo, {}, std::nullopt, 0u, {u"Ash"_s, u"Byron"_s}, true, 0, "",
                    false, 2},
        AnswerCase {"RecordsPastTheCapAreLeftOut",
                    R"({"records": [{"lastname": "A"}, {"lastname": "B"}, {"lastname": "C"}, {"lastname": "D"}, {"lastname": "E"}]})",
                    limits(1 << 20, 3), std::nullopt, std::nullopt, {u"A"_s, u"B"_s, u"C"_s}, true, 2, "", false, 0},
        AnswerCase {"EndlessLineIsGivenUp", QByteArray(5000, 'x'), limits(4096, 10), std::nullopt, std::nullopt, {}, false, 0, "", true, 0},
        AnswerCase {"TooMuchAfterTheRecords", kTwo + "\n" + QByteArray(5000, '\n'), limits(4096, 10), std::nullopt, std::nullopt,
                    {}, false, 0, "", true, 0}),
    [](const auto &info) { return std::string(info.param.name); });

struct PayloadCase
{
    const char *name;
    QByteArray bytes;
    qsizetype maxRecords;
    // Sizes of what was kept: cards, groups beside them, rows (-1: none came); and left out.
    qsizetype cards, groups, rows;
    qsizetype cardsLeftOut, rowsLeftOut;
};

class CAHelperAnswerPayloadTest : public ::testing::TestWithParam<PayloadCase>
{
};

qsizetype sizeOf(const std::optional<QJsonArray> &list)
{
    return list ? list->size() : -1;
}

// Cards with their groups and the rows of a dump are bounded like records; a single text stands
// for the rows.
TEST_P(CAHelperAnswerPayloadTest, KeepsCardsGroupsAndRowsWithinTheCap)
{
    const PayloadCase &expected = GetParam();
    const CAHelperAnswer answer = CAHelperAnswer::parse(expected.bytes, limits(1 << 20, expected.maxRecords));
    EXPECT_EQ(sizeOf(answer.vCards()), expected.cards);
    EXPECT_EQ(sizeOf(answer.vCardGroups()), expected.groups);
    EXPECT_EQ(answer.vCardsLeftOut(), expected.cardsLeftOut);
    const qsizetype rows = !answer.rows() ? -1 : answer.rows()->isArray() ? answer.rows()->toArray().size() : 0;
    EXPECT_EQ(rows, expected.rows);
    EXPECT_EQ(answer.rowsLeftOut(), expected.rowsLeftOut);
    EXPECT_FALSE(answer.records());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CAHelperAnswerPayloadTest,
    ::testing::Values(
        PayloadCase {"CardsWithGroups", R"({"vcards": ["a", "b"], "groups": [["Club"], []]})", 10, 2, 2, -1, 0, 0},
        PayloadCase {"CardsWithoutGroups", R"({"vcards": ["a", "b"]})", 10, 2, -1, -1, 0, 0},
        PayloadCase {"CardsPastTheCapTakeTheirGroupsAlong", R"({"vcards": ["a", "b", "c"], "groups": [[], [], [], []]})", 2, 2, 2,
                     -1, 1, 0},
        PayloadCase {"RowsPastTheCap", R"({"rows": [["a"], ["b"], ["c"]]})", 2, -1, -1, 2, 0, 1},
        PayloadCase {"SingleTextRows", R"({"rows": "a,b\nc,d"})", 10, -1, -1, 0, 0, 0},
        PayloadCase {"NullRowsAreNoRows", R"({"rows": null})", 10, -1, -1, -1, 0, 0}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

// Old designs holding extended texts open with their text as plain address texts, and keep it
// through a save and a second opening.
#include "kernel/merge/CADocument.h"

#include "TestSupport.h"

#include "kernel/address/CFTAAddressText.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/base/FTClassID.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QStringList textsOf(const CADocument &document)
{
    QStringList texts;
    for (CFTComponent *component : document.ftDocument()->GetComponents(0, false)) {
        if (const auto *text = dynamic_cast<const CFTAAddressText *>(component))
            texts.append(text->GetString().getData());
    }
    return texts;
}

int extendedTexts(const CADocument &document)
{
    int count = 0;
    for (CFTComponent *component : document.ftDocument()->GetComponents(0, false))
        count += component->getClassID() == ciExtendedText ? 1 : 0;
    return count;
}

struct OpenCase
{
    const char *name;
    const char *file;
    QStringList texts;
};

class CADocumentExtendedTextTest : public testing::TestWithParam<OpenCase>
{
};

TEST_P(CADocumentExtendedTextTest, OpensWithItsTextSavesAndReopens)
{
    CADocument document;
    QString error;
    ASSERT_TRUE(document.readFromFile(pwtest::dataPath(u"extended-text/"_s + QString::fromLatin1(GetParam().file)), &error))
        << error.toStdString();
    EXPECT_EQ(textsOf(document), GetParam().texts);
    EXPECT_EQ(extendedTexts(document), 1);

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString saved = folder.filePath(u"saved.pwdc"_s);
    ASSERT_TRUE(document.writeToFile(saved, &error)) << error.toStdString();
    CADocument reopened;
    ASSERT_TRUE(reopened.readFromFile(saved, &error)) << error.toStdString();
    // The texts come back once, from the address texts; the extended text adds none.
    EXPECT_EQ(textsOf(reopened), GetParam().texts);
    EXPECT_LE(extendedTexts(reopened), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CADocumentExtendedTextTest,
    testing::Values(OpenCase {"TwoBlocks", "version72-extended-text-two-blocks.pwdc",
                              {u"Dear friends,\nSee you soon"_s, u"at the harbour\non Sunday"_s}},
                    OpenCase {"ThreeBlocks", "version72-extended-text-three-blocks.pwdc",
                              {u"Hello NAME\nfrom CITY"_s, u"\t1.\tapples\n\t2.\tpears"_s,
                               u"Regards NAME\nSee you\nThe overflow line"_s}}),
    [](const testing::TestParamInfo<OpenCase> &info) { return std::string(info.param.name); });

} // namespace

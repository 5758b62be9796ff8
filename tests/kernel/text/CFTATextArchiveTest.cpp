// Texts built in code and saved before anything measured them must save the frame a reader
// rebuilds, so that a design is written the same way from its first save on.
#include "kernel/text/CFTAText.h"

#include "kernel/address/CFTAAddressText.h"
#include "kernel/address/CFTCounterField.h"
#include "kernel/address/CFTFileField.h"
#include "kernel/base/CDDArchive.h"
#include "kernel/base/CDDArchiveKeys.h"

#include <QRectF>

#include <gtest/gtest.h>

#include <functional>

namespace {

PWPlist saved(CFTComponent &component)
{
    CDDArchive archive(true);
    archive.SetClassID(component.getClassID());
    component.Serialize(archive, nullptr);
    return archive.getDict();
}

std::unique_ptr<CFTComponent> readBack(const PWPlist &dict)
{
    CDDArchive archive(false);
    archive.Attach(dict);
    return CFTComponent::CreateFromArchive(archive, nullptr, nullptr);
}

struct UnmeasuredCase
{
    const char *name;
    std::function<std::unique_ptr<CFTComponent>()> make;
};

class UnmeasuredTextTest : public testing::TestWithParam<UnmeasuredCase>
{
};

TEST_P(UnmeasuredTextTest, FirstSaveIsTheSaveOfItsReading)
{
    const std::unique_ptr<CFTComponent> made = GetParam().make();
    const QRectF frame(made->GetOriginX(), made->GetOriginY(), made->GetSizeX(), made->GetSizeY());
    const PWPlist first = saved(*made);
    // Saving writes the fitted frame but leaves the design as it was: no change outside undo.
    EXPECT_EQ(QRectF(made->GetOriginX(), made->GetOriginY(), made->GetSizeX(), made->GetSizeY()), frame);
    const std::unique_ptr<CFTComponent> reread = readBack(first);
    ASSERT_TRUE(reread);
    const PWPlist second = saved(*reread);
    for (const auto &[key, value] : first.toDictionary())
        EXPECT_TRUE(second.toDictionary().value(key) == value) << "differs: " << key.toStdString();
}

template <class T, class... Args> std::unique_ptr<CFTComponent> make(Args... args)
{
    return std::make_unique<T>(args...);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, UnmeasuredTextTest,
    testing::Values(
        UnmeasuredCase {"TextWithCharacters", [] {
            auto text = std::make_unique<CFTAText>(70.0, 10.0, 90.0, 20.0, nullptr);
            text->GetText()->setString(QStringLiteral("Season's greetings"), nullptr);
            return std::unique_ptr<CFTComponent>(std::move(text)); }},
        UnmeasuredCase {"CentredTextSetThroughTheComponent", [] {
            auto text = std::make_unique<CFTAText>(40.0, 10.0, nullptr);
            text->SetAlignment(taCenter); text->SetString(CDDString(QStringLiteral("A line\nand a longer second line")));
            return std::unique_ptr<CFTComponent>(std::move(text)); }},
        UnmeasuredCase {"EmptyText", [] { return make<CFTAText>(5.0, 6.0, 40.0, 40.0, nullptr); }},
        UnmeasuredCase {"AddressTextShowingItsLabel", [] {
            const CDDString label(QStringLiteral("City"));
            auto field = std::make_unique<CFTAAddressText>(true, tcCity, adWork, &label, nullptr);
            field->SetOrigin(10.0, 100.0);
            return std::unique_ptr<CFTComponent>(std::move(field)); }},
        UnmeasuredCase {"Counter", [] { return make<CFTCounterField>(10.0, 120.0, nullptr); }},
        UnmeasuredCase {"FileFieldWithoutAFile", [] { return make<CFTFileField>(60.0, 120.0, nullptr); }}),
    [](const testing::TestParamInfo<UnmeasuredCase> &info) { return std::string(info.param.name); });

} // namespace

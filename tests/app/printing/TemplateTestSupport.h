#pragma once

#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWUserDefaults.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace templatetest {

constexpr double kMm = 72.0 / 25.4;

// Each test starts as a fresh process: no list loaded, no custom or recent templates and no
// stored filter choices.
class CatalogueTest : public ::testing::Test
{
protected:
    void SetUp() override { clean(); }
    void TearDown() override { clean(); }

    // A restart: the lists are read again from the bundle and the user defaults' file.
    static void restart()
    {
        CATemplateFormat::resetCatalogue();
        ASSERT_TRUE(PWUserDefaults::standardUserDefaults().reload());
    }

    static void clean()
    {
        PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
        for (int type : {int(dtLabel), int(dtEnvelope), int(dtPostcard)}) {
            defaults.removeObject(*CATemplateFormat::customPrefKey(type));
            defaults.removeObject(*CATemplateFormat::recentPrefKey(type));
        }
        for (const QString &key : {u"FTLabelManufacturer"_s, u"FTLabelCategory"_s, u"FTLabelPaperSize"_s,
                                   u"FTEnvelopeType"_s, u"FTPostcardManufacturer"_s, u"FTPostcardPaperSize"_s})
            defaults.removeObject(key);
        CATemplateFormat::resetCatalogue();
    }
};

inline std::shared_ptr<CATemplateFormat> labelTemplate(const QString &id, const QString &manufacturer = u"Maker"_s,
                                                       const QString &category = u"Mailing Labels"_s,
                                                       const QString &pageSize = u"A4"_s)
{
    auto format = std::make_shared<CATemplateFormat>();
    format->setID(id);
    format->setManufacturer(manufacturer);
    format->setCategory(category);
    format->setPageSize(pageSize);
    format->setItemWidth(float(60 * kMm));
    format->setItemHeight(float(30 * kMm));
    format->setUnits(cuMillimeters);
    format->setPredef(true);
    return format;
}

inline QStringList ids(const CATemplateFormat::TemplateList &list)
{
    QStringList out;
    for (const auto &format : list)
        out << format->ID();
    return out;
}

} // namespace templatetest

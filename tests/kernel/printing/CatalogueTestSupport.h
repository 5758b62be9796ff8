#pragma once

#include "printing/CATemplateFormat.h"
#include "platform/PWUserDefaults.h"

#include <gtest/gtest.h>

// Each test starts as a fresh process would: no list loaded, no custom or recent templates in
// the user defaults. The defaults are re-read from their file, as on a restart.
class CatalogueTest : public ::testing::Test
{
protected:
    void SetUp() override { clean(); }
    void TearDown() override { clean(); }

    static void restart()
    {
        CATemplateFormat::resetCatalogue();
        ASSERT_TRUE(PWUserDefaults::standardUserDefaults().reload());
    }

private:
    static void clean()
    {
        PWUserDefaults &defaults = PWUserDefaults::standardUserDefaults();
        for (int type : {int(dtLabel), int(dtEnvelope), int(dtPostcard)}) {
            defaults.removeObject(*CATemplateFormat::customPrefKey(type));
            defaults.removeObject(*CATemplateFormat::recentPrefKey(type));
        }
        CATemplateFormat::resetCatalogue();
    }
};

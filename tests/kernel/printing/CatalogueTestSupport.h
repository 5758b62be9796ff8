#pragma once

#include "kernel/printing/CATemplateFormat.h"
#include "platform/PWUserDefaults.h"

#include <gtest/gtest.h>

constexpr float kMm = 72.0f / 25.4f;

// A length as a design file keeps it: three decimals, read back in single precision.
inline float throughDocumentText(float value)
{
    return QString::asprintf("%.3f", double(value)).toFloat();
}

inline QByteArray catalogue(const QByteArray &templates)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Catalogue>\n" + templates + "</Catalogue>\n";
}

// The one template of a catalogue holding the given fields.
inline CATemplateFormat readOne(const QByteArray &fields, int type = dtLabel)
{
    QString error;
    const auto list = CATemplateFormat::readCatalogue(catalogue("<T>" + fields + "</T>"), type, &error);
    EXPECT_TRUE(list && list->size() == 1) << error.toStdString();
    return list && list->size() == 1 ? *list->first() : CATemplateFormat();
}

// A catalogue entry setting every field, each length to a value of its own.
inline const QByteArray kEveryField =
    "<Manufacturer>Maker</Manufacturer><Category>Shipping Labels</Category><Type>Laser</Type>"
    "<Description>Big &amp; bold</Description><PageSize>A4</PageSize><ID>L1</ID>"
    "<Columns>2</Columns><Rows>5</Rows><LabelWidth>99.1mm</LabelWidth><LabelHeight>57mm</LabelHeight>"
    "<CornerRadius>3mm</CornerRadius><PrintableWidth>90mm</PrintableWidth>"
    "<PrintableHeight>50mm</PrintableHeight><TopMargin>6mm</TopMargin><LeftMargin>4.65mm</LeftMargin>"
    "<HSpace>2.5mm</HSpace><VSpace>1mm</VSpace><WinWidth>1</WinWidth><WinHeight>2</WinHeight>"
    "<WinBottomOffset>3</WinBottomOffset><WinLeftOffset>4</WinLeftOffset>"
    "<DYMOPaperWidth>5</DYMOPaperWidth><DYMOPaperHeight>6</DYMOPaperHeight>"
    "<DYMOOffsetX>0.5</DYMOOffsetX><DYMOOffsetY>0.25</DYMOOffsetY><SizeGroup>Shipping4</SizeGroup>";

// Every length a template answers, in points with two decimals, for comparing whole templates.
inline QString lengths(const CATemplateFormat &f)
{
    QStringList out;
    for (const float value : {f.ItemWidth(), f.ItemHeight(), f.getCornerRadius(), f.PrintableWidth(), f.PrintableHeight(),
                              f.getTopMargin(), f.getLeftMargin(), f.getHSpace(), f.getVSpace(), f.getWinWidth(),
                              f.getWinHeight(), f.getWinBottomOffset(), f.getWinLeftOffset(), f.getDYMOPaperWidth(),
                              f.getDYMOPaperHeight(), f.getDYMOOffsetX(), f.getDYMOOffsetY()})
        out << QString::number(value, 'f', 2);
    return out.join(QLatin1Char(' '));
}

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

#include "kernel/merge/CADocument.h"

#include "DocumentTestSupport.h"

#include "PictureTestSupport.h"

#include "kernel/address/CFTCounterField.h"
#include "kernel/address/CFTFileField.h"
#include "kernel/address/CFTABarcode.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/text/CFTAText.h"

// Every value the file format defines for a key, written by hand as a file would hold it, reads
// back with nothing to report and is saved again as it was; a value the format leaves undefined
// is named. The numbers are the format's own, never the reader's constants.
namespace storedvalues {

// A design holding one component of each kind whose keys the table below names.
QByteArray designOfEveryKind()
{
    CADocument document;
    CFTADocument &kernel = *document.ftDocument();
    kernel.AddObject(new CFTBoxField(10.0, 10.0, 50.0, 30.0, nullptr), 0, false);
    auto *text = new CFTAText(70.0, 10.0, 90.0, 20.0, nullptr);
    text->GetText()->setString(u"Season's greetings"_s, nullptr);
    kernel.AddObject(text, 0, false);
    auto *picture = new CFTPicture(CDDPicture(pictest::quadrantImage(8, 8)));
    picture->SetOrigin(10.0, 60.0);
    kernel.AddObject(picture, 0, false);
    kernel.AddObject(new CFTCounterField(10.0, 100.0, nullptr), 0, false);
    kernel.AddObject(new CFTFileField(10.0, 120.0, nullptr), 0, false);
    // Standing apart, a barcode keeps the code it was given; in a panel its country chooses it.
    auto *barcode = new CFTABarcode(10.0, 140.0);
    barcode->SetLocation(blStandalone);
    kernel.AddObject(barcode, 0, false);
    kernel.AddObject(doctest::Test::makePanel(true, u"us"_s, true).release(), 0, false);
    document.setCurrentPerson(doctest::Test::personFromVCard(doctest::kUsPerson).get(), true, true, false);
    return document.documentDataForComponents(nullptr);
}

// Whether the dictionary is the one a row names: of class classID, or for none the first that
// holds the key.
bool named(const PWPlist &node, const QString &classID, const QString &key)
{
    return classID.isEmpty() ? node.toDictionary().contains(key) : node.value(u"Class ID"_s).toString() == classID;
}

// The first dictionary (depth first) a row names, its key set to value. False when there is none.
bool setIn(PWPlist &node, const QString &classID, const QString &key, const PWPlist &value)
{
    if (node.isDictionary()) {
        PWPlist::Dictionary dictionary = node.toDictionary();
        if (named(node, classID, key)) {
            dictionary.insert(key, value);
            node = PWPlist(dictionary);
            return true;
        }
        for (const auto &[name, child] : node.toDictionary()) {
            PWPlist changed = child;
            if (setIn(changed, classID, key, value)) {
                dictionary.insert(name, changed);
                node = PWPlist(dictionary);
                return true;
            }
        }
        return false;
    }
    if (node.isArray()) {
        PWPlist::Array array = node.toArray();
        for (PWPlist &child : array) {
            if (setIn(child, classID, key, value)) {
                node = PWPlist(array);
                return true;
            }
        }
    }
    return false;
}

// The value under key of the first dictionary a row names.
PWPlist valueIn(const PWPlist &node, const QString &classID, const QString &key)
{
    if (node.isDictionary()) {
        if (named(node, classID, key))
            return node.value(key);
        for (const auto &entry : node.toDictionary())
            if (const PWPlist found = valueIn(entry.second, classID, key); !found.isNull())
                return found;
    }
    if (node.isArray())
        for (const PWPlist &child : node.toArray())
            if (const PWPlist found = valueIn(child, classID, key); !found.isNull())
                return found;
    return PWPlist();
}

struct KeyValues {
    const char *name;
    // Empty for the first dictionary that holds the key (the design's own keys, guidelines).
    const char *classID;
    const char *key;
    std::vector<const char *> defined;
    std::vector<const char *> undefined;
    // Whether the value read is the value saved: a value that filling the design replaces by
    // rule reads without a word all the same.
    bool savedAsRead = true;
};

void PrintTo(const KeyValues &row, std::ostream *stream)
{
    *stream << row.name;
}

class CADocumentStoredValuesTest : public doctest::Test, public ::testing::WithParamInterface<KeyValues>
{
protected:
    // The design with the row's key set to text, as a file.
    QByteArray with(const char *text) const
    {
        PWPlist root = PWPlist::parse(m_design).value_or(PWPlist());
        EXPECT_TRUE(setIn(root, QString::fromLatin1(GetParam().classID), QString::fromLatin1(GetParam().key),
                          PWPlist::fromString(QString::fromLatin1(text))));
        return root.toXml();
    }

    QByteArray m_design = designOfEveryKind();
};

TEST_P(CADocumentStoredValuesTest, EveryDefinedValueReadsWithoutAWordAndIsSavedAsItWas)
{
    const QString classID = QString::fromLatin1(GetParam().classID);
    const QString key = QString::fromLatin1(GetParam().key);
    ASSERT_FALSE(valueIn(PWPlist::parse(m_design).value_or(PWPlist()), classID, key).isNull())
        << "the design writes the key itself";
    for (const char *text : GetParam().defined) {
        SCOPED_TRACE(text);
        CADocument document;
        QString error;
        ASSERT_TRUE(document.loadDataRepresentation(with(text), CADocument::kAddressDocumentType, &error))
            << error.toStdString();
        EXPECT_EQ(document.readProblems(), QStringList());
        const PWPlist saved = PWPlist::parse(document.documentDataForComponents(nullptr)).value_or(PWPlist());
        if (GetParam().savedAsRead) {
            EXPECT_EQ(valueIn(saved, classID, key).toString(), QString::fromLatin1(text));
        }
    }
    for (const char *text : GetParam().undefined) {
        SCOPED_TRACE(text);
        CADocument document;
        QString error;
        ASSERT_TRUE(document.loadDataRepresentation(with(text), CADocument::kAddressDocumentType, &error))
            << error.toStdString();
        ASSERT_EQ(document.readProblems().size(), 1) << document.readProblems().join(u'\n').toStdString();
        EXPECT_TRUE(document.readProblems().constFirst().startsWith(u"\"%1\""_s.arg(key)))
            << document.readProblems().constFirst().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryEnumeratedKey, CADocumentStoredValuesTest,
    ::testing::Values(
        // A bit set: 4 shows capitals ("Show in capitals" writes it); the other bits are kept.
        KeyValues {"Representation", "Square Field", "Object Representation", {"0", "4", "1", "2", "5", "6", "-1"}, {}},
        KeyValues {"TextCapitals", "Text", "Object Representation", {"0", "4"}, {}},
        KeyValues {"FieldCapitals", "Address Text", "Object Representation", {"0", "4"}, {}},
        KeyValues {"PanelCapitals", "Address Panel", "Object Representation", {"0", "4"}, {}},
        // 0 left, 1 centre, 2 right, 4 justified, with 16 (keep the vertical middle) and 32 (keep
        // the far edge); any other value of the byte, and -1, aligns naturally. No writer makes others.
        KeyValues {"TextAlignment", "Text", "Horizontal Alignment",
                   {"0", "1", "2", "4", "16", "17", "18", "20", "32", "33", "34", "36", "3", "5", "-1", "255"},
                   {"1.5", "-5", "256"}},
        KeyValues {"DefaultTextAlignment", "", "Horizontal Alignment", {"0", "1", "2", "17", "34"}, {}},
        KeyValues {"CounterAlignment", "Counter Field", "Horizontal Alignment", {"0", "2", "33"}, {}},
        // 0 millimetres, 1 inches, any other value points.
        KeyValues {"Units", "", "Units", {"0", "1", "2", "3", "5", "-1", "2147483647"}, {"2147483648"}},
        // 0 the whole line, any other value one field of it; fields counted from 1, the first for
        // 0 and below.
        KeyValues {"FieldsCount", "File Field", "FiledsCount", {"0", "1", "2", "-1"}, {}},
        KeyValues {"NumberField", "File Field", "NumberField", {"1", "0", "-3", "2147483647"}, {}},
        KeyValues {"TextWrap", "Square Field", "Text wrapping", {"0", "1", "2", "3", "4"}, {"5", "-1"}},
        KeyValues {"ShapeKind", "Square Field", "Component Type", {"1", "8", "17", "22", "39"}, {"42", "-1"}},
        KeyValues {"PlaceMode", "Picture", "Place Mode", {"0", "1", "2", "3"}, {"4", "-1"}},
        // None, POSTNET, RM4SCC, four-state; none takes the code of the country the barcode is given.
        KeyValues {"BarcodeType", "Barcode", "Barcode Type", {"1", "2", "3"}, {"4", "-1"}},
        KeyValues {"BarcodeTypeNone", "Barcode", "Barcode Type", {"0"}, {}, false},
        KeyValues {"BarcodeLocation", "Barcode", "Barcode Location", {"0", "1", "2"}, {"3", "-1"}},
        KeyValues {"FieldMode", "Address Text", "Field Mode", {"0", "1", "2"}, {"3"}},
        KeyValues {"FieldAddressSource", "Address Text", "Address Source", {"0", "1", "2", "3"}, {"4"}},
        KeyValues {"PanelAddressSource", "Address Panel", "Address Source", {"0", "1", "2", "3"}, {"4"}},
        KeyValues {"RecipientAddressSource", "", "Address Source To", {"0", "1", "2", "3"}, {"4"}},
        KeyValues {"SenderAddressSource", "", "Address Source From", {"0", "1", "2", "3"}, {"4"}},
        KeyValues {"CounterStart", "Counter Field", "Start Number", {"-2147483648", "0", "2147483647"}, {"2147483648"}},
        KeyValues {"CounterStep", "Counter Field", "Increment", {"-1", "0", "2147483647"}, {"-2147483649"}}),
    [](const ::testing::TestParamInfo<KeyValues> &info) { return std::string(info.param.name); });

} // namespace storedvalues

// A design weighed part by part weighs what its save weighs as a file (CADocument::costAsSaved),
// whatever the design: every sample design, the older-form fixtures and what the program saves of
// them, and designs changed step by step, where only the parts a step touched are written out and
// counted again.
#include "kernel/merge/CADesignWeigher.h"

#include "DocumentTestSupport.h"
#include "TestSupport.h"

#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CFTBoxField.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/text/CFTAText.h"
#include "platform/PWImage.h"

#include <QDir>
#include <QDirIterator>
#include <QImage>

#include <random>

namespace CFTADocumentFileCheck {

// A weight as a failure shows it.
void PrintTo(const Cost &cost, std::ostream *stream)
{
    *stream << "{components " << cost.components << ", texts " << cost.texts << ", panels " << cost.panels
            << ", text bytes " << cost.textBytes << " (" << cost.textBytesLaidOut << " laid out), values " << cost.values
            << " of " << cost.valueBytes << " bytes}";
}

} // namespace CFTADocumentFileCheck

namespace {

using CFTADocumentFileCheck::Cost;

// The sample designs the build makes and the older-form designs the tests keep.
QStringList designFiles()
{
    QStringList found;
    for (const QString &folder : {QStringLiteral(PW_SAMPLE_LIBRARY_DIR), pwtest::dataPath(u"documents"_s)}) {
        QDirIterator it(folder, {u"*.pwdc"_s}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            found.append(it.next());
    }
    found.sort();
    return found;
}

// Every design file, every fourth one to a part: each part reads, saves and reads again a quarter.
constexpr int kParts = 4;

class CADesignWeigherFilesTest : public doctest::Test, public ::testing::WithParamInterface<int>
{
};

TEST_P(CADesignWeigherFilesTest, WeighsEveryDesignAsItsSaveIsWeighed)
{
    const QStringList files = designFiles();
    ASSERT_GT(files.size(), 1);
    for (qsizetype i = GetParam(); i < files.size(); i += kParts) {
        SCOPED_TRACE(files.at(i).toStdString());
        CADocument read;
        QString error;
        ASSERT_TRUE(read.readFromFile(files.at(i), &error)) << error.toStdString();
        CADesignWeigher weigher;
        const std::optional<Cost> weighed = weigher.weigh(read);
        ASSERT_TRUE(weighed.has_value());
        EXPECT_EQ(weighed, read.costAsSaved());
        // What the program saves of it, read again, by the same weigher and by a new one.
        CADocument saved;
        ASSERT_TRUE(saved.loadDataRepresentation(read.dataRepresentationOfType(CADocument::kAddressDocumentType),
                                                 CADocument::kAddressDocumentType, &error))
            << error.toStdString();
        EXPECT_EQ(weigher.weigh(saved), saved.costAsSaved());
        EXPECT_EQ(CADesignWeigher().weigh(saved), saved.costAsSaved());
    }
}

INSTANTIATE_TEST_SUITE_P(Parts, CADesignWeigherFilesTest, ::testing::Range(0, kParts));

// One change a user may make to a design, and how many components it touched.
class Steps
{
public:
    explicit Steps(CADocument &document)
        : m_document(document)
    {
    }

    // A random step of a seeded sequence; answers how many components it changed or added.
    int take(std::mt19937 &random)
    {
        std::vector<CFTComponent *> &components = *design().GetComponentsPtr(0, false);
        const int kind = int(random() % 6);
        if (components.empty() || kind == 0)
            return add(random);
        CFTComponent *component = components.at(random() % components.size());
        switch (kind) {
        case 1:
            component->Move(double(random() % 7) - 3.0, 0.75, nullptr);
            return 1;
        case 2:
            component->SetSize(component->GetSizeX() + 1.5, component->GetSizeY());
            return 1;
        case 3:
            if (component->canSetText()) {
                component->SetString(CDDString(QString(int(random() % 3000), QLatin1Char('a' + char(random() % 26)))));
                return 1;
            }
            return 0;
        case 4: {
            // Taken out as a delete takes it: kept alive while the document lives.
            design().DeleteObject(component, 0, false);
            return 0;
        }
        default:
            return add(random);
        }
    }

private:
    CFTADocument &design() { return *m_document.ftDocument(); }

    int add(std::mt19937 &random)
    {
        const double x = double(random() % 300);
        const double y = double(random() % 300);
        switch (random() % 4) {
        case 0: {
            auto *text = new CFTAText(x, y, 80, 20, nullptr);
            text->SetString(CDDString(u"Text %1"_s.arg(random() % 1000)));
            design().AddObject(text, 0, false);
            break;
        }
        case 1:
            design().AddObject(new CFTBoxField(x, y, 20, 10, nullptr), 0, false);
            break;
        case 2: {
            std::unique_ptr<CFTAAddressPanel> panel = doctest::Test::makePanel(random() % 2 == 0, u"us"_s, random() % 2 == 0);
            panel->SetOrigin(x, y);
            design().AddObject(panel.release(), 0, false);
            break;
        }
        default: {
            // A photo pasted as pixels, of many bytes once stored.
            QImage photo(64 + int(random() % 64), 48, QImage::Format_RGB32);
            for (int row = 0; row < photo.height(); ++row)
                for (int column = 0; column < photo.width(); ++column)
                    photo.setPixel(column, row, qRgb(int(random() % 256), row * 5, column * 3));
            auto *picture = new CFTPicture(CDDPicture(PWImage::fromQImage(photo)));
            picture->SetOrigin(x, y);
            picture->SetSize(60, 45);
            design().AddObject(picture, 0, false);
            break;
        }
        }
        return 1;
    }

    CADocument &m_document;
};

class CADesignWeigherTest : public doctest::Test
{
};

// Sequences of steps from a new design and from a sample one: after each, the weighing is the
// save's, and of the parts only those the step touched (and the rest of the design) were counted.
TEST_F(CADesignWeigherTest, StepByStepTheWeighingIsTheSavesCountingWhatTheStepTouched)
{
    const QStringList files = designFiles();
    ASSERT_FALSE(files.isEmpty());
    for (const QString &start : {QString(), files.at(files.size() / 2)}) {
        SCOPED_TRACE(start.isEmpty() ? std::string("a new design") : start.toStdString());
        CADocument document;
        QString error;
        ASSERT_TRUE(start.isEmpty() || document.readFromFile(start, &error)) << error.toStdString();
        CADesignWeigher weigher;
        ASSERT_EQ(weigher.weigh(document), document.costAsSaved());
        Steps steps(document);
        std::mt19937 random(20240611u);
        for (int step = 0; step < 60; ++step) {
            SCOPED_TRACE(step);
            const int touched = steps.take(random);
            const std::optional<Cost> full = document.costAsSaved();
            ASSERT_TRUE(full.has_value());
            EXPECT_EQ(weigher.weigh(document), full);
            EXPECT_LE(weigher.partsCounted(), touched + 1);
            // Weighed again unchanged, nothing is counted anew.
            EXPECT_EQ(weigher.weigh(document), full);
            EXPECT_EQ(weigher.partsCounted(), 0);
        }
    }
}

} // namespace

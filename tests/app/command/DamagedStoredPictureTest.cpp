// A design whose picture is stored in a form that does not read, exported and saved as a user runs
// the program: the picture is drawn as a placeholder and named, the job fails for it, and opening
// and saving the design writes the stored value back as it was.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "app/command/CACommandLine.h"

#include "kernel/base/CDDString.h"
#include "kernel/base/FTImageArchive.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CDDPicture.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWImage.h"
#include "platform/PWPictureRenderer.h"
#include "platform/PWPlist.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <poppler-qt6.h>

using namespace Qt::StringLiterals;

namespace {

const QString kPictureKey = u"Picture"_s;

// The value under key in every dictionary of the tree replaced by value; count tells how many.
PWPlist replaced(const PWPlist &node, const QString &key, const PWPlist &value, int *count)
{
    if (node.isArray()) {
        PWPlist::Array array;
        for (const PWPlist &element : node.toArray())
            array.append(replaced(element, key, value, count));
        return array;
    }
    if (!node.isDictionary())
        return node;
    PWPlist::Dictionary dictionary;
    for (const auto &[k, v] : node.toDictionary()) {
        if (k == key) {
            ++*count;
            dictionary.insert(k, value);
        } else {
            dictionary.insert(k, replaced(v, key, value, count));
        }
    }
    return dictionary;
}

// The values under key anywhere in the tree.
void collect(const PWPlist &node, const QString &key, QList<PWPlist> *found)
{
    if (node.isArray())
        for (const PWPlist &element : node.toArray())
            collect(element, key, found);
    if (node.isDictionary())
        for (const auto &[k, v] : node.toDictionary()) {
            if (k == key)
                found->append(v);
            else
                collect(v, key, found);
        }
}

QList<PWPlist> storedPictures(const QString &path)
{
    QList<PWPlist> found;
    if (const std::optional<PWPlist> file = PWPlist::readFile(path))
        collect(*file, kPictureKey, &found);
    return found;
}

bool rewrite(const QString &path, const PWPlist &picture)
{
    const QByteArray bytes = pwtest::readFile(path);
    const std::optional<PWPlist> file = PWPlist::parse(bytes);
    int count = 0;
    const PWPlist changed = file ? replaced(*file, kPictureKey, picture, &count) : PWPlist();
    return count == 1 && pwtest::writeFile(path, bytes.startsWith("bplist") ? changed.toBinary() : changed.toXml());
}

int placeholderPixelsIn(const QString &pdfPath)
{
    const std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(pdfPath);
    if (!pdf || pdf->numPages() < 1)
        return -1;
    pdf->setPaperColor(Qt::white);
    const QImage page = pdf->page(0)->renderToImage(72.0, 72.0).convertToFormat(QImage::Format_RGB32);
    const QColor plate = PWPictureRenderer::placeholderColor();
    int count = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor pixel = page.pixelColor(x, y);
            if (std::abs(pixel.red() - plate.red()) < 6 && std::abs(pixel.green() - plate.green()) < 6
                && std::abs(pixel.blue() - plate.blue()) < 6)
                ++count;
        }
    return count;
}

// The keyed archive of a picture with its object table changed by change.
QByteArray withObjects(const QByteArray &archive, const std::function<void(PWPlist::Array &)> &change)
{
    const std::optional<PWPlist> parsed = PWPlist::parse(archive);
    if (!parsed || !parsed->isDictionary())
        return QByteArray();
    PWPlist::Dictionary top = parsed->toDictionary();
    PWPlist::Array objects = top.value(u"$objects"_s).toArray();
    change(objects);
    top.insert(u"$objects"_s, objects);
    return PWPlist(top).toBinary();
}

} // namespace

TEST(DamagedStoredPictureTest, IsAPlaceholderNamedAndSavedAsItWas)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    QImage sample(60, 40, QImage::Format_RGB32);
    sample.fill(Qt::darkGreen);
    const QByteArray archive = FTImageArchive::archivedData(*PWImage::fromQImage(sample));
    ASSERT_FALSE(archive.isEmpty());
    const QByteArray cycle = withObjects(archive, [](PWPlist::Array &objects) {
        // The list of representations holds itself.
        PWPlist::Dictionary reps = objects.at(2).toDictionary();
        reps.insert(u"NS.objects"_s, PWPlist::Array {PWPlist::fromUid(2)});
        objects[2] = reps;
    });
    const struct
    {
        const char *name;
        PWPlist stored;
        QString named;
    } cases[] = {
        {"archive cut by its last byte", PWPlist::fromData(archive.chopped(1)), u"cannot be read"_s},
        {"garbage bytes", PWPlist::fromData("\x01\x02 no picture here \xFF"), u"cannot be read"_s},
        {"empty object table", PWPlist::fromData(withObjects(archive, [](PWPlist::Array &o) { o.clear(); })),
         u"cannot be read"_s},
        {"representations referring to themselves", PWPlist::fromData(cycle), u"cannot be read"_s},
        {"no bytes", PWPlist::fromData(QByteArray()), u"cannot be read"_s},
        {"a number", PWPlist::fromInteger(6548), u"cannot be read"_s},
        {"a list", PWPlist(PWPlist::Array {PWPlist::fromData(archive)}), u"cannot be read"_s},
        {"a string", PWPlist::fromString(u"no-such-picture.png"_s), u"is not in the content library"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString design = work.filePath(u"damaged.pwdc"_s);
        {
            CADocument document(std::make_unique<CFTADocument>(dtPostcard, CDDString(u"us"_s), CDDString(u"us"_s)));
            auto *picture = new CFTPicture(CDDPicture(PWImage::fromQImage(sample)));
            picture->SetOrigin(10.0, 10.0);
            picture->SetSize(120.0, 80.0);
            document.ftDocument()->AddObject(picture, 0, false);
            ASSERT_TRUE(document.writeToFile(design));
        }
        ASSERT_TRUE(rewrite(design, c.stored));

        const QString out = work.filePath(u"damaged.pdf"_s);
        const commandtest::ProgramRun run = commandtest::runProgram({u"--export"_s, design, out});
        EXPECT_EQ(run.status, CACommandLine::kFailure) << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains(u"part of the design could not be read: \"Picture\""_s)
                    || run.err.contains(u"part of the design could not be read: the picture"_s))
            << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains(c.named)) << qPrintable(run.err);
        // A plate of 120 x 80 points, less its cross and edges.
        EXPECT_GT(placeholderPixelsIn(out), 8000);

        CADocument document;
        QString error;
        ASSERT_TRUE(document.readFromFile(design, &error)) << qPrintable(error);
        EXPECT_FALSE(document.readProblems().isEmpty());
        const QString saved = work.filePath(u"saved.pwdc"_s);
        ASSERT_TRUE(document.writeToFile(saved, &error)) << qPrintable(error);
        const QList<PWPlist> kept = storedPictures(saved);
        ASSERT_EQ(kept.size(), 1);
        EXPECT_EQ(kept.first(), c.stored);
        EXPECT_EQ(kept.first().toData(), c.stored.toData());
    }
}

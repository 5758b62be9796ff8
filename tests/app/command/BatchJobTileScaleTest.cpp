// A picture's tile scale that the batch cannot take: the job says, of that picture, what it tiles
// with instead, and fails as any design part left unread does.
#include "TestSupport.h"
#include "ProgramRunSupport.h"

#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/document/CFTADocument.h"
#include "kernel/drawing/CFTPicture.h"
#include "kernel/merge/CADocument.h"
#include "platform/PWImage.h"
#include "platform/PWPlist.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A design of one tiled picture held in the file, named by reference name when given, with its
// tile scale set to scale.
bool writeTiledPictureDesign(const QString &file, const QString &name, const PWPlist &scale)
{
    CADocument document;
    auto *picture = new CFTPicture(CDDPicture(PWImage::fromQImage(QImage(6, 4, QImage::Format_ARGB32))));
    picture->SetOrigin(20.0, 10.0);
    picture->SetSize(40.0, 30.0);
    picture->SetDataPlacing(pmTiled);
    document.ftDocument()->AddObject(picture, 0, false);
    const std::optional<PWPlist> stored = PWPlist::parse(document.documentDataForComponents(nullptr));
    if (!stored || !stored->isDictionary())
        return false;
    PWPlist::Dictionary root = stored->toDictionary();
    PWPlist::Dictionary side = root.value(key_FrontSide).toDictionary();
    PWPlist::Array components = side.value(key_Components).toArray();
    if (components.size() != 1)
        return false;
    PWPlist::Dictionary entry = components.first().toDictionary();
    entry.insert(key_TileScale, scale);
    entry.remove(key_DataRef);
    if (!name.isEmpty())
        entry.insert(key_DataRef, PWPlist::fromString(name));
    components[0] = PWPlist(entry);
    side.insert(key_Components, PWPlist(components));
    root.insert(key_FrontSide, PWPlist(side));
    return pwtest::writeFile(file, PWPlist(root).toXml());
}

TEST(BatchJobTileScaleTest, ARefusedTileScaleSaysThePictureIsTiledAtItsOwnSize)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString design = folder.filePath(u"tiles.pwdc"_s);
    const QString out = folder.filePath(u"out.pdf"_s);
    const struct
    {
        const char *name;
        QString pictureName;
        PWPlist scale;
        QString told;
    } cases[] = {
        {"zero, named picture", u"harbour.png"_s, PWPlist::fromString(u"0"_s),
         u"\"Tile Scale\" of a component of class \"Picture\" is out of range (0); the picture \"harbour.png\" is "
         "tiled at its own size"_s},
        {"no number", u"harbour.png"_s, PWPlist::fromString(u"abc"_s),
         u"\"Tile Scale\" of a component of class \"Picture\" is not a number (abc); the picture \"harbour.png\" is "
         "tiled at its own size"_s},
        {"a list, named with its folder", u"tiles/shell.png"_s, PWPlist(PWPlist::Array {PWPlist::fromString(u"4"_s)}),
         u"the picture \"shell.png\" is tiled at its own size"_s},
        // A name with a line break in it is quoted on the one line.
        {"a name across two lines", u"harbour\nnorth.png"_s, PWPlist::fromString(u"0"_s),
         u"is out of range (0); the picture \"harbour north.png\" is tiled at its own size"_s},
        {"negative, unnamed picture", QString(), PWPlist::fromString(u"-5"_s),
         u"is out of range (-5); the picture is tiled at its own size"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeTiledPictureDesign(design, c.pictureName, c.scale));
        QFile::remove(out);
        const commandtest::ProgramRun run =
            commandtest::runProgram({u"--print"_s, design, u"--copies"_s, u"1"_s, u"--output"_s, out});
        // A part of the design left unread fails the job once its output is written.
        EXPECT_EQ(run.status, 1) << qPrintable(run.err);
        EXPECT_TRUE(QFile::exists(out));
        EXPECT_TRUE(run.err.contains(u"part of the design could not be read: "_s)) << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains(c.told)) << qPrintable(run.err);
        EXPECT_FALSE(run.err.contains(u"kept"_s)) << qPrintable(run.err);
    }
}

} // namespace

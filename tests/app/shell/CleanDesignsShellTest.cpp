// Every design the program ships or writes, and the older forms it reads, opens without a word and
// exports with exit 0, whole and with each key left out: a key left out takes what a new design or
// item has, so the export draws the same pixels wherever the key held that. The corpora are what
// the program provides: the sample designs the build makes, the older-form fixtures and their
// saved conversion, and the design a window saves after each command its Edit, Format and Arrange
// menus offer, found in the window at run time.
#include "CleanDesignSupport.h"

#include "kernel/address/CAddressFormatController.h"
#include "kernel/base/CDDArchiveKeys.h"
#include "kernel/component/FTComponentFactory.h"
#include "kernel/drawing/CDDPicture.h"
#include "platform/PWImage.h"

#include "../inspector/PanesWindowFixture.h"

#include <QDirIterator>
#include <QMenuBar>
#include <QTimer>

using namespace cleandesign;

namespace {

QStringList filesUnder(const QString &folder, const QStringList &patterns)
{
    QStringList files;
    QDirIterator found(folder, patterns, QDir::Files, QDirIterator::Subdirectories);
    while (found.hasNext())
        files.append(found.next());
    files.sort();
    return files;
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The corpus in its order: the sample designs the build makes, then each older-form fixture and
// the design a reading of it saves (an older flowing text is plain texts from then on).
QList<std::pair<QString, QByteArray>> shippedAndOlderDesigns()
{
    QList<std::pair<QString, QByteArray>> corpus;
    const QDir library(QStringLiteral(PW_SAMPLE_LIBRARY_DIR));
    for (const QString &path : filesUnder(library.path(), {u"*.pwdc"_s}))
        corpus.append({library.relativeFilePath(path), bytesOf(path)});
    for (const QString &path : filesUnder(pwtest::dataPath(u"extended-text"_s), {u"version72-*.pwdc"_s})) {
        corpus.append({QFileInfo(path).fileName(), bytesOf(path)});
        CADocument converted;
        if (converted.readFromFile(path))
            corpus.append({QFileInfo(path).fileName() + u" converted and saved"_s,
                           converted.dataRepresentationOfType(CADocument::kAddressDocumentType)});
    }
    return corpus;
}

// Each key of each class is left out once, in the first design of the corpus that holds it; the
// corpus is checked in parts, each its own test so that no one run holds a core for long: each
// part leaves out its share of the keys, and opens and exports whole its share of the designs and
// those that hold its keys.
constexpr int kCorpusParts = 4;

int partOf(const QString &signature)
{
    return int(qHash(signature, 0) % uint(kCorpusParts));
}

QHash<QString, QString> firstHolders(const QList<std::pair<QString, QByteArray>> &corpus)
{
    QHash<QString, QString> holders;
    for (const auto &[name, bytes] : corpus) {
        const std::optional<PWPlist> parsed = PWPlist::parse(bytes);
        if (!parsed)
            continue;
        Path walk;
        eachKey(*parsed, walk, [&](const Path &path) {
            const QString signature = signatureOf(*parsed, path);
            if (!holders.contains(signature))
                holders.insert(signature, name);
        });
    }
    return holders;
}

class CleanDesignsTest : public ::testing::TestWithParam<int>
{
};

TEST_P(CleanDesignsTest, ShippedSamplesAndOlderFormsOpenCleanAndExportWithEachKeyLeftOut)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QList<std::pair<QString, QByteArray>> corpus = shippedAndOlderDesigns();
    ASSERT_GE(corpus.size(), 24);
    const qsizetype older = std::count_if(corpus.cbegin(), corpus.cend(), [](const auto &entry) {
        return entry.first.startsWith(u"version72-"_s);
    });
    ASSERT_GE(older, 4) << "older-form fixtures and their saved conversions";
    const QHash<QString, QString> holders = firstHolders(corpus);
    QSet<QString> holding;
    for (auto held = holders.cbegin(); held != holders.cend(); ++held)
        if (partOf(held.key()) == GetParam())
            holding.insert(held.value());
    Clean clean(folder.path());
    QSet<QString> met;
    clean.choose = [&](const QString &file, const Path &, const QString &signature) {
        if (partOf(signature) != GetParam() || holders.value(signature) != file || met.contains(signature))
            return false;
        met.insert(signature);
        return true;
    };
    for (qsizetype i = 0; i < corpus.size(); ++i)
        if (i % kCorpusParts == GetParam() || holding.contains(corpus.at(i).first))
            clean.check(corpus.at(i).first, corpus.at(i).second);
    EXPECT_TRUE(clean.failures().isEmpty()) << clean.failures().size() << " problems:\n"
                                            << clean.failures().mid(0, 40).join(u'\n').toStdString();
    std::cout << clean.summary().toStdString() << std::endl;
    // Leaving keys out changed what the reading made of some designs, and left others as they were.
    EXPECT_GT(clean.leftOut(), 0);
    EXPECT_GT(clean.compared(), 0);
    EXPECT_LT(clean.compared(), clean.leftOut());
}

INSTANTIATE_TEST_SUITE_P(Parts, CleanDesignsTest, ::testing::Range(0, kCorpusParts));

// A window holding one new object of every class the program makes, apart from each other, and
// the designs it saves after each thing the user can do to them.
class CleanSavedDesignsShellTest : public paneswindow::Test
{
protected:
    bool startWithEveryClass()
    {
        // An envelope, which holds every object on its face.
        if (!start(dtEnvelope))
            return false;
        CFTADocument *design = canvas->document()->ftDocument();
        const double cellX = design->getDocumentSizeX(0) / 5.0;
        const double cellY = design->getDocumentSizeY(0) / 4.0;
        QImage bitmap(40, 20, QImage::Format_ARGB32);
        bitmap.fill(0xff3366cc);
        const CDDPicture picture(PWImage::fromQImage(bitmap));
        const std::unique_ptr<CAddressFormat> format = CAddressFormatController::sharedAddressFormatController().formatWithTemplate(
            u"Name+Company"_s, u"us"_s, true, CAddressFormatController::kBarcodeBelow);
        for (int classID = 0; classID < int(classStringKeys.size()); ++classID) {
            if (!FTComponentFactory::isRegistered(classID))
                continue;
            FTComponentFactory::Recipe recipe;
            recipe.picture = &picture;
            recipe.format = format.get();
            std::unique_ptr<CFTComponent> made = FTComponentFactory::makeComponent(classID, recipe);
            if (!made)
                made = FTComponentFactory::createComponent(classID, FTComponentFactory::kLastOldBundleVersion + 1, nullptr);
            if (!made)
                continue;
            const int at = int(objects.size());
            made->SetOrigin(10.0 + (at % 4) * cellX, 10.0 + (at / 4) * cellY);
            if (made->GetSizeX() < 1.0 || made->GetSizeY() < 1.0 || made->GetSizeX() > cellX || made->GetSizeY() > cellY)
                made->SetSize(cellX * 0.8, cellY * 0.6);
            if (CDDText *text = made->GetText(); text && text->getString().isEmpty())
                text->setString(u"Harbour"_s, nullptr);
            objects.push_back({classStringKeys.at(size_t(classID)), made.get()});
            design->AddObject(made.release(), 0, false);
        }
        paint();
        forgetHistory();
        startBytes = bytes();
        return objects.size() >= 8;
    }
    // The object alone selected, as a click on it selects it (objects lie over each other and
    // over the background, so no click is aimed).
    void selectOnly(CFTComponent *component)
    {
        canvas->ftView()->deselectAll();
        if (component)
            canvas->ftView()->select(component);
        canvas->notifySelectionChanged();
        paint();
    }
    // Every step the design made since it was started taken back, as Edit > Undo does.
    void undoAll()
    {
        for (int steps = 0; steps < 20 && canvas->document()->undoManager()->canUndo(); ++steps)
            perform("undo");
        paint();
    }
    // A dialog a command opens (a question, a chooser) is closed as the user would dismiss it.
    template <typename Act>
    void dismissingDialogs(Act act)
    {
        QTimer closer;
        closer.setInterval(20);
        QObject::connect(&closer, &QTimer::timeout, [] {
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        });
        closer.start();
        act();
        closer.stop();
        paint();
    }
    // The designs saved, checked with the keys they hold left out: each class's keys the first
    // time they are met, and every key the step wrote otherwise than the start did.
    void checkSaved(const QList<std::pair<QString, QByteArray>> &saved)
    {
        QTemporaryDir scratch;
        ASSERT_TRUE(scratch.isValid());
        const PWPlist before = PWPlist::parse(startBytes).value_or(PWPlist());
        Clean clean(scratch.path());
        QSet<QString> met;
        QHash<QString, PWPlist> after;
        for (const auto &[name, bytes] : saved)
            after.insert(name, PWPlist::parse(bytes).value_or(PWPlist()));
        QHash<QString, int> changedLeftOut;
        clean.choose = [&](const QString &file, const Path &path, const QString &signature) {
            const bool first = !met.contains(signature);
            met.insert(signature);
            // Of the keys the step wrote otherwise, the first two, which keeps the pass short.
            return first
                   || (valueAt(after.value(file), path) != valueAt(before, path) && changedLeftOut[file]++ < 2);
        };
        clean.check(u"the start"_s, startBytes);
        for (const auto &[name, bytes] : saved)
            clean.check(name, bytes);
        EXPECT_TRUE(clean.failures().isEmpty()) << clean.failures().size() << " problems:\n"
                                                << clean.failures().mid(0, 40).join(u'\n').toStdString();
        std::cout << saved.size() << " designs saved; " << clean.summary().toStdString() << std::endl;
        // Every class's keys were left out, each in some design.
        for (const auto &[name, component] : objects)
            EXPECT_TRUE(std::any_of(met.cbegin(), met.cend(), [&](const QString &signature) {
                return signature.startsWith(name + u':');
            })) << name.toStdString();
    }

    std::vector<std::pair<QString, CFTComponent *>> objects;
    QByteArray startBytes;
};

// The items of a menu and its submenus, each with its path of titles. A submenu filled from a
// catalogue (countries, templates) is taken at six places spread over it. An item that asks for
// more than a choice ("...") opens a window of its own instead of changing the design.
void menuItems(QMenu *menu, const QString &path, QList<std::pair<QString, QAction *>> &items)
{
    QList<QAction *> leaves;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator())
            continue;
        const QString title = path + u" > "_s + action->text().remove(u'&');
        if (QMenu *submenu = action->menu())
            menuItems(submenu, title, items);
        else if (!action->text().endsWith(u"…"_s) && !action->text().endsWith(u"..."_s))
            leaves.append(action);
    }
    const qsizetype stride = leaves.size() > 12 ? leaves.size() / 6 : 1;
    for (qsizetype i = 0; i < leaves.size(); i += stride)
        items.append({path + u" > "_s + leaves.at(i)->text().remove(u'&'), leaves.at(i)});
}

TEST_F(CleanSavedDesignsShellTest, TheDesignSavedAfterEachMenuCommandOpensCleanWithEachKeyLeftOut)
{
    ASSERT_TRUE(startWithEveryClass());
    QList<std::pair<QString, QAction *>> items;
    for (QMenu *menu : controller->mainMenu().menus()) {
        const QString title = menu->title().remove(u'&');
        if (title == u"Edit"_s || title == u"Format"_s || title == u"Arrange"_s)
            menuItems(menu, title, items);
    }
    ASSERT_GE(items.size(), 30);
    QList<std::pair<QString, QByteArray>> saved;
    for (const auto &[name, item] : items) {
        // Each object alone, and nothing, until the command changes the design.
        std::vector<std::pair<QString, CFTComponent *>> selections = objects;
        selections.push_back({u"nothing"_s, nullptr});
        for (const auto &[kind, component] : selections) {
            selectOnly(component);
            window(0)->activateWindow();
            controller->mainMenu().validate();
            if (!item->isEnabled())
                continue;
            dismissingDialogs([&] { item->trigger(); });
            const QByteArray after = bytes();
            undoAll();
            if (after != startBytes) {
                saved.append({name + u" with "_s + kind + u" selected"_s, after});
                break;
            }
        }
    }
    ASSERT_GE(saved.size(), 20);
    checkSaved(saved);
}

} // namespace

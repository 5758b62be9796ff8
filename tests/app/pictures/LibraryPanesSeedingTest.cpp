// A first start copies the clip art, the shapes and the masks into the user's library while their
// panes may already be shown: each pane shows what is there and fills in when the copy has ended.
#include "app/pictures/CAShapeBrowserView.h"
#include "app/pictures/CCMaskCatalog.h"
#include "app/pictures/CCPictBrowserView.h"
#include "app/pictures/CCPictCatalog.h"
#include "app/shell/CASampleDesignLibrary.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <memory>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// The copy held at its first file until the test lets it go.
struct HeldCopy
{
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    bool let = false;
    HeldCopy()
    {
        CASampleDesignLibrary::setCopyHook([future = released](const QString &) { future.wait(); });
    }
    void letGo()
    {
        if (!std::exchange(let, true))
            release.set_value();
    }
    ~HeldCopy()
    {
        letGo();
        CASampleDesignLibrary::waitForContent();
        CASampleDesignLibrary::setCopyHook(nullptr);
    }
};

TEST(LibraryPanesSeedingTest, EachPaneShownDuringTheFirstCopyFillsInWhenItEnds)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const pwtest::ScopedDefault library(u"FTSharedContentLibraryPath"_s, home.filePath(u"Library"_s));
    HeldCopy copy;
    CASampleDesignLibrary::installAllForUserInBackground();
    ASSERT_TRUE(CASampleDesignLibrary::isSeeding());

    const struct
    {
        const char *name;
        std::function<QWidget *()> make;
        std::function<int(QWidget *)> count;
    } cases[] = {
        {"clip art categories", [] { return new CCPictBrowserView; },
         [](QWidget *pane) { return int(static_cast<CCPictBrowserView *>(pane)->popupTitles().size()) - 1; }},
        {"basic shapes", [] { return new CAShapeBrowserView; },
         [](QWidget *pane) { return static_cast<CAShapeBrowserView *>(pane)->catalog()->countImages(); }},
        {"masks",
         [] {
             auto *masks = new CCMaskCatalog;
             masks->setup();
             return masks;
         },
         [](QWidget *pane) { return static_cast<CCMaskCatalog *>(pane)->cellCount(); }},
    };
    std::vector<std::unique_ptr<QWidget>> panes;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        panes.emplace_back(c.make());
        panes.back()->show();
        EXPECT_EQ(c.count(panes.back().get()), 0);
    }
    copy.letGo();
    const auto filled = [&] {
        for (size_t i = 0; i < panes.size(); ++i)
            if (cases[i].count(panes[i].get()) == 0)
                return false;
        return true;
    };
    QElapsedTimer clock;
    clock.start();
    while (!filled() && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    for (size_t i = 0; i < panes.size(); ++i)
        EXPECT_GT(cases[i].count(panes[i].get()), 0) << cases[i].name;
}

} // namespace

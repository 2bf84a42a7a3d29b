#include "SettingsSheetFixture.h"

#include "Views/SheetPresenter.h"

#include "Library/IndexStore.h"
#include "Tags/TagEditUndoStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTest>

SettingsSheetFixture::~SettingsSheetFixture()
{
    window.reset();
}

SettingsSheet &SettingsSheetFixture::openSheet()
{
    if (!model)
        buildModel();
    if (!window) {
        window = std::make_unique<QMainWindow>();
        windowButton = new QPushButton(QStringLiteral("main"));
        window->setCentralWidget(windowButton);
        window->resize(900, 600);
        theme.addRoot(window.get());
        presenter = new SheetPresenter(*model, window.get());
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    model->setSettingsPresented(true);
    settle();
    return *sheet();
}

SettingsSheet *SettingsSheetFixture::sheet() const
{
    return presenter ? qobject_cast<SettingsSheet *>(presenter->settingsSheet()) : nullptr;
}

void SettingsSheetFixture::seedMissingTracks(int count)
{
    IndexStore store(home.dataFolder());
    LibraryIndex index = store.loadIndex();
    for (int i = 0; i < count && i < index.tracks.size(); ++i)
        index.tracks[i].isMissing = true;
    ASSERT_TRUE(store.saveIndex(index));
}

void SettingsSheetFixture::seedTagUndoEntry()
{
    TagEditUndoStore journal(home.dataFolder().appending(QByteArrayLiteral("undo")), 50);
    TagFields before;
    before.title = QStringLiteral("晴天");
    TagFields after;
    after.title = QStringLiteral("晴天 (Live)");
    ASSERT_TRUE(journal.record({FileLocation::fromLocalFile(home.musicPath() + QStringLiteral("/a.mp3")), before, after, 0}));
}

void SettingsSheetFixture::scanUnreadableFiles(int count)
{
    const QString folder = home.root() + QStringLiteral("/Unreadable");
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        QFile file(folder + QStringLiteral("/broken %1.m4a").arg(i + 1));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    model->importFolders({FileLocation::fromLocalFile(folder)});
    ASSERT_TRUE(waitFor([this] { return !model->isScanning(); }));
    settle();
}

bool SettingsSheetFixture::waitFor(const std::function<bool()> &condition)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.hasExpired(2000))
            return false;
        settle(5);
    }
    return true;
}

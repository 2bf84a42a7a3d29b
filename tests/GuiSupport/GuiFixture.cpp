#include "GuiFixture.h"

#include "Library/IndexStore.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QThread>

GuiFixture::GuiFixture()
{
    EXPECT_TRUE(home.isValid());
}

GuiFixture::~GuiFixture()
{
    model.reset();
}

AppModel &GuiFixture::buildModel()
{
    model = std::make_unique<AppModel>(home.dataFolder(), environment.make());
    theme.setSettings(model->library().settings());
    settle();
    return *model;
}

void GuiFixture::seedSettings(const std::function<void(AppSettings &)> &change)
{
    IndexStore store(home.dataFolder());
    AppSettings settings = store.loadSettings();
    change(settings);
    ASSERT_TRUE(store.saveSettings(settings));
}

void GuiFixture::settle(int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    do {
        for (int round = 0; round < 3; ++round)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (!deadline.hasExpired())
            QThread::msleep(5);
    } while (!deadline.hasExpired());
}

void GuiFixture::playFirstTrack()
{
    const Track track = model->tracks().first();
    QFile file(QString::fromUtf8(track.url.path()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    model->play(track.id);
    settle();
}

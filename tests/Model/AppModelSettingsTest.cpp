#include "ModelFixture.h"

#include "FakePanels.h"
#include "FaultInjectingFileOperations.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>

namespace {

using Operation = FileOperations::Operation;

// Counts the panel's calls and notes the settings the model held when it was asked to apply them.
class RecordingMiniPlayer final : public MiniPlayerPanel
{
public:
    explicit RecordingMiniPlayer(const AppModel *&model) : m_model(model) {}

    void show() override {}
    void hide() override {}
    void applySettings() override { applied.append(m_model->settings()); }

    QList<AppSettings> applied;

private:
    const AppModel *&m_model;
};

class AppModelSettingsTest : public ModelFixture
{
protected:
    // The model goes first: its last saves still write through the files below.
    ~AppModelSettingsTest() override { model.reset(); }

    // The model over fault-injecting files, with both panels; writes are counted from here on.
    void buildWithPanels(double timeScale = 0.01)
    {
        environment.timeScale = timeScale;
        AppModelEnvironment made = environment.make();
        made.files = &files;
        model = std::make_unique<AppModel>(directory, std::move(made));
        watched = model.get();
        model->setMiniPlayer(&miniPlayer);
        model->setLyricsOverlay(&overlay);
        settle();
        model->flushPendingSaves();
        baselineWrites = files.calls(Operation::WriteAtomically);
    }

    int writes() const { return files.calls(Operation::WriteAtomically) - baselineWrites; }

    FaultInjectingFileOperations files;
    const AppModel *watched = nullptr;
    RecordingMiniPlayer miniPlayer{watched};
    FakeLyricsOverlayPanel overlay;
    int baselineWrites = 0;
};

} // namespace

TEST_F(AppModelSettingsTest, SettingTheValueAlreadySetDoesNothing)
{
    buildWithPanels();
    const AppSettings before = model->settings();
    QSignalSpy announced(model.get(), &AppModel::settingsChanged);
    QSignalSpy locked(model.get(), &AppModel::isLyricsLockedChanged);
    QSignalSpy visible(model.get(), &AppModel::isLyricsVisibleChanged);
    const QStringList appearances = environment.shell->appearances;

    const QList<std::pair<const char *, std::function<void(AppModel &)>>> cases = {
        {"lock", [](AppModel &m) { m.setLyricsLocked(false); }},
        {"visible", [](AppModel &m) { m.setLyricsVisible(false); }},
        {"opacity", [&](AppModel &m) { m.setLyricsOpacity(before.lyricsOpacity); }},
        {"preset", [](AppModel &m) { m.setThemePreset(ThemePreset::celadon); }},
        {"mode", [](AppModel &m) { m.setThemeMode(ThemeMode::system); }},
        {"accent", [](AppModel &m) { m.setCustomAccent(std::nullopt); }},
        {"capture", [](AppModel &m) { m.setHideFromScreenCapture(true); }},
        {"on top", [](AppModel &m) { m.setMiniAlwaysOnTop(true); }},
        {"language", [](AppModel &m) { m.setAppLanguage(QStringLiteral("system")); }},
        {"unknown language", [](AppModel &m) { m.setAppLanguage(QStringLiteral("fr")); }},
        {"endpoint", [](AppModel &m) { EXPECT_FALSE(m.setLyricsEndpoint(std::nullopt)); }},
        {"blank endpoint", [](AppModel &m) { EXPECT_FALSE(m.setLyricsEndpoint(QStringLiteral(" \n\t"))); }},
    };
    for (const auto &[name, change] : cases) {
        change(*model);
        settle();
        model->flushPendingSaves();
        EXPECT_EQ(writes(), 0) << name;
    }

    EXPECT_EQ(model->settings(), before);
    EXPECT_EQ(announced.count(), 0);
    EXPECT_EQ(locked.count() + visible.count(), 0);
    EXPECT_TRUE(miniPlayer.applied.isEmpty());
    EXPECT_EQ(overlay.applyCount + overlay.showCount + overlay.hideCount, 0);
    EXPECT_EQ(environment.shell->appearances, appearances);
    EXPECT_TRUE(environment.shell->languages.isEmpty());
    EXPECT_TRUE(environment.prompts->shown.isEmpty());
}

TEST_F(AppModelSettingsTest, AChangeIsStoredAppliedSavedAndThenAnnounced)
{
    struct Case
    {
        const char *name;
        std::function<void(AppModel &)> change;
        std::function<bool(const AppSettings &)> changed;
        // What the change reached besides the panels.
        std::function<bool()> reached;
        int miniPlayerApplies = 0;
        int overlayApplies = 0;
    };
    const auto nothingElse = [] { return true; };
    const QString notice = QStringLiteral("语言已更改 | 重启Quillmere后生效。\nTakes effect after restarting Quillmere.");
    const QList<Case> cases = {
        {"lock", [](AppModel &m) { m.setLyricsLocked(true); }, [](const AppSettings &s) { return s.lyricsLocked; },
         [this] { return overlay.locked; }},
        {"preset", [](AppModel &m) { m.setThemePreset(ThemePreset::inkAmber); },
         [](const AppSettings &s) { return s.themePreset == QStringLiteral("inkAmber"); }, nothingElse},
        {"mode", [](AppModel &m) { m.setThemeMode(ThemeMode::dark); },
         [](const AppSettings &s) { return s.themeMode == QStringLiteral("dark"); },
         [this] { return environment.shell->appearances.last() == QStringLiteral("dark"); }},
        {"capture", [](AppModel &m) { m.setHideFromScreenCapture(false); },
         [](const AppSettings &s) { return !s.hideFromScreenCapture; }, nothingElse, 1, 1},
        {"on top", [](AppModel &m) { m.setMiniAlwaysOnTop(false); },
         [](const AppSettings &s) { return !s.miniAlwaysOnTop; }, nothingElse, 1, 0},
        {"language", [](AppModel &m) { m.setAppLanguage(QStringLiteral("en")); },
         [](const AppSettings &s) { return s.appLanguage == QStringLiteral("en"); },
         [this] { return environment.shell->languages == QStringList{QStringLiteral("en")}; }},
        {"endpoint", [](AppModel &m) { EXPECT_FALSE(m.setLyricsEndpoint(QStringLiteral("http://lyrics.lan/get"))); },
         [](const AppSettings &s) { return s.lyricsEndpoint == QStringLiteral("http://lyrics.lan/get"); },
         [this] { return environment.lyrics->endpoint() == QUrl(QStringLiteral("http://lyrics.lan/get")); }},
    };

    for (const Case &setter : cases) {
        SCOPED_TRACE(setter.name);
        buildWithPanels();
        miniPlayer.applied.clear();
        overlay.applyCount = 0;
        bool appliedBeforeAnnouncing = false;
        QObject::connect(model.get(), &AppModel::settingsChanged, model.get(), [&](const AppSettings &settings) {
            appliedBeforeAnnouncing = setter.changed(settings) && miniPlayer.applied.size() == setter.miniPlayerApplies
                && overlay.applyCount == setter.overlayApplies && setter.reached();
        });

        setter.change(*model);

        EXPECT_TRUE(appliedBeforeAnnouncing);
        for (const AppSettings &applied : miniPlayer.applied)
            EXPECT_TRUE(setter.changed(applied)) << "stored before it was applied";
        EXPECT_TRUE(setter.changed(savedSettings()));
        EXPECT_EQ(writes(), 1);
        model.reset();
    }
    // After the language change, the notice of the restart it needs.
    EXPECT_EQ(environment.prompts->shown, QStringList{notice});
}

TEST_F(AppModelSettingsTest, AbsentPanelsAreSkipped)
{
    buildWithPanels();
    model->setMiniPlayer(nullptr);
    model->setLyricsOverlay(nullptr);
    model->setLyricsLocked(true);
    model->setLyricsVisible(true);
    model->setMiniAlwaysOnTop(false);
    EXPECT_TRUE(model->isLyricsVisible());
    EXPECT_EQ(overlay.applyCount + overlay.showCount, 0);
    EXPECT_TRUE(miniPlayer.applied.isEmpty());
    const AppSettings saved = savedSettings();
    EXPECT_TRUE(saved.lyricsLocked && !saved.miniAlwaysOnTop);
}

TEST_F(AppModelSettingsTest, SliderValuesAreStoredAtOnceAndSavedOnceAfterTheLastChange)
{
    const QList<std::pair<const char *, std::function<void(AppModel &, int)>>> sliders = {
        {"opacity", [](AppModel &m, int step) { m.setLyricsOpacity(0.3 + 0.1 * step); }},
        {"accent", [](AppModel &m, int step) { m.setCustomAccent(QStringLiteral("#20304%1").arg(step)); }},
    };
    for (const auto &[name, change] : sliders) {
        SCOPED_TRACE(name);
        // The debounce is 0.3 s at full scale: 150 ms here, settings writes coalesce over 100 ms.
        buildWithPanels(0.5);
        QSignalSpy announced(model.get(), &AppModel::settingsChanged);
        for (int step = 0; step < 5; ++step) {
            const AppSettings before = model->settings();
            change(*model, step);
            EXPECT_NE(model->settings(), before);
            QTest::qWait(40);
        }
        EXPECT_EQ(announced.count(), 5);
        EXPECT_EQ(writes(), 0);

        QTRY_COMPARE_WITH_TIMEOUT(writes(), 1, 5000);
        QTest::qWait(300);
        EXPECT_EQ(writes(), 1);
        const AppSettings last = model->settings();
        model.reset();
        EXPECT_EQ(IndexStore(directory).loadSettings(), last);
    }
}

TEST_F(AppModelSettingsTest, OpacityIsClampedAndAWaitingValueIsWrittenOnQuitting)
{
    buildWithPanels(1.0);
    for (const auto &[given, stored] : std::initializer_list<std::pair<double, double>>{
             {1.0, 0.9}, {0.0, 0.05}, {-4, 0.05}, {0.9, 0.9}, {0.5, 0.5}}) {
        model->setLyricsOpacity(given);
        EXPECT_EQ(model->settings().lyricsOpacity, stored) << given;
    }
    model.reset();
    EXPECT_EQ(IndexStore(directory).loadSettings().lyricsOpacity, 0.5);
}

TEST_F(AppModelSettingsTest, TheEndpointIsCheckedTrimmedAndResetWhenBlank)
{
    buildWithPanels();
    const QString invalid = QStringLiteral("歌词源地址无效，请输入 http 或 https 链接。");
    const QUrl defaultEndpoint = environment.lyrics->endpoint();
    struct Step
    {
        std::optional<QString> text;
        std::optional<QString> error;
        std::optional<QString> stored;
    };
    const QString custom = QStringLiteral("https://lyrics.example.org/api/get");
    for (const Step &step : std::initializer_list<Step>{
             {QStringLiteral("  ") + custom + QStringLiteral(" \n"), std::nullopt, custom},
             {QStringLiteral("ftp://lyrics.example.org/api/get"), invalid, custom},
             {QStringLiteral("https://lyrics example.org/api"), invalid, custom},
             {QStringLiteral("lyrics"), invalid, custom},
             {QStringLiteral("https:///api/get"), invalid, custom},
             {QStringLiteral("\t"), std::nullopt, std::nullopt},
             {QStringLiteral("http://10.0.0.2:8080/get"), std::nullopt, QStringLiteral("http://10.0.0.2:8080/get")},
             {std::nullopt, std::nullopt, std::nullopt}}) {
        SCOPED_TRACE(step.text.value_or(QStringLiteral("<none>")).toStdString());
        EXPECT_EQ(model->setLyricsEndpoint(step.text), step.error);
        EXPECT_EQ(model->settings().lyricsEndpoint, step.stored);
        EXPECT_EQ(environment.lyrics->endpoint(), step.stored ? QUrl(*step.stored) : defaultEndpoint);
    }
    EXPECT_FALSE(savedSettings().lyricsEndpoint);
}

TEST_F(AppModelSettingsTest, ANewEndpointLeavesTheResolutionInFlight)
{
    const Track current = makeTrack(QStringLiteral("晴天"));
    seed({current});
    seedSettings({.lastTrackID = current.id});
    buildWithPanels();
    const qsizetype requests = environment.lyrics->requests().size();
    ASSERT_GT(requests, 0);

    EXPECT_FALSE(model->setLyricsEndpoint(QStringLiteral("https://lyrics.example.org/api/get")));
    const Lyrics found{.lines = {{1.0, u"故事的小黄花"_qs}}, .isSynced = true};
    environment.lyrics->finish(requests - 1, ResolvedLyrics{.lyrics = found, .origin = LyricsOrigin::Online});
    settle();

    EXPECT_EQ(environment.lyrics->requests().size(), requests);
    ASSERT_TRUE(model->lyricsState().lyrics);
    EXPECT_EQ(model->lyricsState().lyrics->lines.value(0).text, QStringLiteral("故事的小黄花"));
}

TEST_F(AppModelSettingsTest, AFailedSaveIsShownAndTheValueKept)
{
    buildWithPanels();
    files.failOnce(Operation::WriteAtomically, ENOSPC, "settings.json");

    model->setThemePreset(ThemePreset::berry);
    model->flushPendingSaves();

    ASSERT_TRUE(model->statusMessage());
    EXPECT_TRUE(model->statusMessage()->startsWith(QStringLiteral("保存失败："))) << model->statusMessage()->toStdString();
    EXPECT_EQ(model->settings().themePreset, QStringLiteral("berry"));
}

TEST_F(AppModelSettingsTest, ClosingTheLyricsPageScrollsTheListToTheCurrentTrack)
{
    const Track current = makeTrack(QStringLiteral("稻香"));
    seed({current});
    buildWithPanels();

    model->toggleLyricsPage();
    EXPECT_TRUE(model->showsLyricsPage());
    model->toggleLyricsPage();
    EXPECT_FALSE(model->showsLyricsPage());
    EXPECT_FALSE(model->listScrollTarget()) << "no current track";

    model->handleTrackClick(current.id, Qt::NoModifier);
    model->toggleLyricsPage();
    model->toggleLyricsPage();
    EXPECT_EQ(model->listScrollTarget(), current.id);
}

#include "ModelTestEnvironment.h"

#include "Library/TagLibMetadataReader.h"

ModelTestEnvironment::ModelTestEnvironment(double timeScale) : timeScale(timeScale)
{
}

AppModelEnvironment ModelTestEnvironment::make()
{
    AppModelEnvironment environment;
    environment.makeEngine = [this] {
        auto made = std::make_unique<FakePlaybackEngine>();
        engine = made.get();
        return made;
    };
    environment.makeTranscoding = [this](const FileLocation &, std::optional<FileLocation> ffmpeg) {
        auto made = std::make_unique<FakeTranscoding>();
        made->updateFFmpeg(std::move(ffmpeg));
        transcoding = made.get();
        return made;
    };
    environment.makeLyricsResolver = [this](const LyricsCache &, const QUrl &endpoint) {
        auto made = std::make_unique<FakeLyricsResolver>();
        made->setEndpoint(endpoint);
        lyrics = made.get();
        return made;
    };
    environment.makeTagIO = [tags = tags] { return tags; };
    environment.metadataReader = std::make_shared<TagLibMetadataReader>();
    environment.prompts = prompts;
    environment.shell = shell;
    environment.clock = clock;
    environment.timing = ModelTiming().scaled(timeScale);
    // No ffmpeg is found: an empty search path and no fixed folders.
    environment.processEnvironment.insert(QStringLiteral("PATH"), QString());
    return environment;
}

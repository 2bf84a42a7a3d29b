#include "AppModelEnvironment.h"

#include "CorePlaybackEngine.h"
#include "QueueTranscoding.h"
#include "ServiceLyricsResolver.h"
#include "TagServiceIO.h"

#include "Library/TagLibMetadataReader.h"
#include "Transcode/FFmpegLocator.h"

AppModelEnvironment AppModelEnvironment::system(std::shared_ptr<Prompts> prompts, std::shared_ptr<ApplicationShell> shell)
{
    AppModelEnvironment environment;
    environment.makeEngine = [] { return std::make_unique<CorePlaybackEngine>(); };
    environment.makeTranscoding = [](const FileLocation &cacheRoot, std::optional<FileLocation> ffmpeg) {
        return std::make_unique<QueueTranscoding>(cacheRoot, std::move(ffmpeg));
    };
    environment.makeLyricsResolver = [](const LyricsCache &cache, const QUrl &endpoint) {
        return std::make_unique<ServiceLyricsResolver>(cache, endpoint);
    };
    environment.makeTagIO = [] { return std::make_shared<TagServiceIO>(); };
    environment.metadataReader = std::make_shared<TagLibMetadataReader>();
    environment.prompts = std::move(prompts);
    environment.shell = std::move(shell);
    environment.clock = std::make_shared<SystemClock>();
    environment.processEnvironment = QProcessEnvironment::systemEnvironment();
    environment.ffmpegFixedDirectories = FFmpegLocator::defaultFixedDirectories();
    return environment;
}

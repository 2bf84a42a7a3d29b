#pragma once

#include "ApplicationShell.h"
#include "Clock.h"
#include "LyricsResolving.h"
#include "ModelTiming.h"
#include "PlaybackEngine.h"
#include "Prompts.h"
#include "TagIO.h"
#include "Transcoding.h"

#include "Library/MetadataReading.h"
#include "Storage/FileOperations.h"

#include <QProcessEnvironment>
#include <QStringList>

#include <functional>
#include <memory>

// Everything the model reaches outside itself, each replaceable in tests. The model builds its
// services through the factories in its own fixed order.
struct AppModelEnvironment
{
    std::function<std::unique_ptr<PlaybackEngine>()> makeEngine;
    TranscodingFactory makeTranscoding;
    LyricsResolverFactory makeLyricsResolver;
    TagIOFactory makeTagIO;
    // Reads tags, lengths and covers during scans.
    std::shared_ptr<const MetadataReading> metadataReader;
    std::shared_ptr<Prompts> prompts;
    std::shared_ptr<ApplicationShell> shell;
    std::shared_ptr<const Clock> clock;
    ModelTiming timing;
    // Where ffmpeg is looked for: the search path of this environment after the fixed folders.
    QProcessEnvironment processEnvironment;
    QStringList ffmpegFixedDirectories;
    FileOperations *files = &FileOperations::system();

    // The real engine, conversions, lyrics and tags with the windows' prompts and shell.
    static AppModelEnvironment system(std::shared_ptr<Prompts> prompts, std::shared_ptr<ApplicationShell> shell);
};

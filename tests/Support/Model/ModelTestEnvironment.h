#pragma once

#include "AppModelEnvironment.h"
#include "FakeApplicationShell.h"
#include "FakeClock.h"
#include "FakeLyricsResolver.h"
#include "FakePlaybackEngine.h"
#include "FakePrompts.h"
#include "FakeTagIO.h"
#include "FakeTranscoding.h"

#include <memory>

// The model's surroundings made of fakes, with the timing scaled down. Keep it alive as long as
// the model: the engine, queue and resolver the model builds are reachable here once it has built
// them.
class ModelTestEnvironment
{
public:
    // `timeScale` multiplies every delay (0.01: the 5 s save interval becomes 50 ms).
    explicit ModelTestEnvironment(double timeScale = 0.01);

    // A fresh environment for one model; each call hands out the same fakes.
    AppModelEnvironment make();

    FakePlaybackEngine *engine = nullptr;
    FakeTranscoding *transcoding = nullptr;
    FakeLyricsResolver *lyrics = nullptr;
    std::shared_ptr<FakeTagIO> tags = std::make_shared<FakeTagIO>();
    std::shared_ptr<FakePrompts> prompts = std::make_shared<FakePrompts>();
    std::shared_ptr<FakeApplicationShell> shell = std::make_shared<FakeApplicationShell>();
    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>();
    double timeScale;
};

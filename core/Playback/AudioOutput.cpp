#include "AudioOutput.h"

AudioOutput::~AudioOutput() = default;

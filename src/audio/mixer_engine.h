// The sound engine of our own: decoded sources, streamed files and the mixer
// on a platform sound output.
#pragma once

#include <memory>

#include "audio/sound_engine.h"
#include "platform/audio_output.h"

namespace tarn::audio {

// The engine pulling from 'output' (started here); null without an output.
std::unique_ptr<SoundEngine> CreateSoundEngineOn(std::unique_ptr<AudioOutput> output);

}  // namespace tarn::audio

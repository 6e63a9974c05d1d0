// SDL's audio device as the platform's sound output.
#pragma once

#include <memory>

#include "platform/audio_output.h"

namespace tarn {

// The device SDL opens by default, float32; null when there is none.
std::unique_ptr<AudioOutput> OpenSdlAudioOutput();

}  // namespace tarn

// Writes a test tone with libsndfile: mksound OUT FORMAT FREQUENCY SECONDS
// FORMAT is wav, flac or ogg; 44.1 kHz stereo at half amplitude. Exit status
// 0 on success, 2 for bad arguments, 1 when the file cannot be written.
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: mksound OUT wav|flac|ogg FREQUENCY SECONDS\n");
    return 2;
  }
  struct Kind {
    const char* name;
    int format;
  } kinds[] = {{"wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
               {"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
               {"ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS}};
  int format = 0;
  for (const Kind& kind : kinds)
    if (std::strcmp(argv[2], kind.name) == 0) format = kind.format;
  double frequency = std::atof(argv[3]), seconds = std::atof(argv[4]);
  if (format == 0 || !(frequency > 0) || !(seconds > 0) || seconds > 60) {
    std::fprintf(stderr, "mksound: bad format, frequency or length\n");
    return 2;
  }
  const int rate = 44100, channels = 2;
  SF_INFO info = {};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(argv[1], SFM_WRITE, &info);
  if (!file) {
    std::fprintf(stderr, "mksound: %s\n", sf_strerror(nullptr));
    return 1;
  }
  const sf_count_t frames = static_cast<sf_count_t>(seconds * rate);
  std::vector<float> samples(static_cast<size_t>(frames) * channels);
  for (sf_count_t i = 0; i < frames; ++i) {
    float value = 0.5f * static_cast<float>(std::sin(2 * M_PI * frequency * static_cast<double>(i) / rate));
    for (int c = 0; c < channels; ++c) samples[static_cast<size_t>(i) * channels + c] = value;
  }
  bool written = sf_writef_float(file, samples.data(), frames) == frames;
  return sf_close(file) == 0 && written ? 0 : 1;
}

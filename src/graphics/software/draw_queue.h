// Drawing commands queued for the software renderer and carried out by two
// threads. The target is cut into bands of rows; each band takes the
// commands in the order they were queued, and one thread at a time owns a
// band, so the result is the same as drawing everything in order. The worker
// thread draws while the game is still queueing; Flush lets the calling
// thread help with what is left and returns when everything is drawn.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "graphics/software/raster.h"

namespace tarn::gfx {

class DrawQueue {
 public:
  DrawQueue();
  ~DrawQueue();
  DrawQueue(const DrawQueue&) = delete;
  DrawQueue& operator=(const DrawQueue&) = delete;

  void Add(Surface* target, const Viewport& viewport, const RenderStates& states, const Quad& quad,
           const Surface* texture, int addressMode);
  // Sets every pixel of the target to 'argb', in its turn.
  void Fill(Surface* target, uint32_t argb);
  // Draws everything queued; returns when it is all in the targets.
  void Flush();

 private:
  struct Command {
    Surface* target;
    const Surface* texture;
    int addressMode;
    bool fill;
    uint32_t fillColour;
    RenderStates states;
    PreparedQuad quad;
  };
  static constexpr int kBands = 32;
  static constexpr size_t kChunk = 256;
  static constexpr size_t kChunks = 1024;  // a flush is forced beyond kChunk * kChunks commands

  struct Band {
    std::atomic<bool> busy{false};
    std::atomic<size_t> done{0};  // commands drawn in this band
  };

  Command& At(size_t i) { return chunks_[i / kChunk][i % kChunk]; }
  // The bands a command touches, one bit each: the scan of a band reads
  // these few bytes and only the commands that concern it.
  static uint32_t BandsOf(const Surface& target, int firstRow, int lastRow);
  static int BandStart(const Surface& target, int band);
  Command& Append(uint32_t bands);
  void Publish();
  void Draw(const Command& command, int band);
  // Claims free bands one after another and draws what they lack; returns
  // whether any band was left unfinished because another thread held it.
  bool DrawAvailable();
  bool HasWork() const;
  void Worker();

  std::array<std::unique_ptr<Command[]>, kChunks> chunks_;
  std::array<std::unique_ptr<uint32_t[]>, kChunks> bandMasks_;
  size_t count_ = 0;                  // commands written (calling thread only)
  std::atomic<size_t> published_{0};  // commands the worker may draw
  std::array<Band, kBands> bands_;

  std::mutex lock_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::atomic<bool> sleeping_{false};
  bool active_ = false;  // the worker is drawing (guarded by lock_)
  bool stopping_ = false;
  std::thread worker_;  // last: it starts once everything it uses exists
};

}  // namespace tarn::gfx

// Quads queued for the software renderer and drawn by two threads at once,
// each taking every other row of the target, in the order they were queued.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

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
  // Draws everything queued; returns when it is all in the targets.
  void Flush();
  bool Empty() const { return commands_.empty(); }

 private:
  struct Command {
    Surface* target;
    Viewport viewport;
    RenderStates states;
    Quad quad;
    const Surface* texture;
    int addressMode;
  };
  void Run(int phase);
  void Worker();

  std::vector<Command> commands_;
  std::mutex lock_;
  std::condition_variable wake_;
  std::condition_variable done_;
  bool workPending_ = false;
  bool stopping_ = false;
  std::thread worker_;  // last: it starts once everything it uses exists
};

}  // namespace tarn::gfx

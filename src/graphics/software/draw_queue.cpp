#include "graphics/software/draw_queue.h"

namespace tarn::gfx {

namespace {
// Below this many quads a flush is drawn by the calling thread alone.
constexpr size_t kThreadedMinimum = 8;
}  // namespace

DrawQueue::DrawQueue() { worker_ = std::thread([this] { Worker(); }); }

DrawQueue::~DrawQueue() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = true;
  }
  wake_.notify_all();
  worker_.join();
}

void DrawQueue::Add(Surface* target, const Viewport& viewport, const RenderStates& states, const Quad& quad,
                    const Surface* texture, int addressMode) {
  commands_.push_back({target, viewport, states, quad, texture, addressMode});
}

void DrawQueue::Run(int phase) {
  for (const Command& c : commands_)
    RasterQuad(*c.target, c.viewport, c.states, c.quad, c.texture, c.addressMode, phase, 2);
}

void DrawQueue::Worker() {
  std::unique_lock<std::mutex> guard(lock_);
  for (;;) {
    wake_.wait(guard, [this] { return workPending_ || stopping_; });
    if (stopping_) return;
    guard.unlock();
    Run(1);
    guard.lock();
    workPending_ = false;
    done_.notify_all();
  }
}

void DrawQueue::Flush() {
  if (commands_.empty()) return;
  if (commands_.size() < kThreadedMinimum) {
    for (const Command& c : commands_) RasterQuad(*c.target, c.viewport, c.states, c.quad, c.texture, c.addressMode);
    commands_.clear();
    return;
  }
  {
    std::lock_guard<std::mutex> guard(lock_);
    workPending_ = true;
  }
  wake_.notify_all();
  Run(0);
  std::unique_lock<std::mutex> guard(lock_);
  done_.wait(guard, [this] { return !workPending_; });
  commands_.clear();
}

}  // namespace tarn::gfx

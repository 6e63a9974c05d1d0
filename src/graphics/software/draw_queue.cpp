#include "graphics/software/draw_queue.h"

#include <algorithm>

#include "graphics/software/pixel_rows.h"

namespace tarn::gfx {

namespace {
// The worker is woken after this many new commands, not after each one.
constexpr size_t kWakeEvery = 32;
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

// The first row of band b of a target; band b ends where band b + 1 begins.
int DrawQueue::BandStart(const Surface& target, int band) {
  return static_cast<int>(static_cast<int64_t>(target.height) * band / kBands);
}

uint32_t DrawQueue::BandsOf(const Surface& target, int firstRow, int lastRow) {
  uint32_t bands = 0;
  for (int b = 0; b < kBands; ++b) {
    int first = BandStart(target, b), end = BandStart(target, b + 1);
    if (first < end && firstRow < end && lastRow >= first) bands |= 1u << b;
  }
  return bands;
}

DrawQueue::Command& DrawQueue::Append(uint32_t bands) {
  if (count_ == kChunk * kChunks) Flush();
  size_t chunk = count_ / kChunk;
  if (!chunks_[chunk]) {
    chunks_[chunk] = std::make_unique<Command[]>(kChunk);
    bandMasks_[chunk] = std::make_unique<uint32_t[]>(kChunk);
  }
  bandMasks_[chunk][count_ % kChunk] = bands;
  return At(count_++);
}

void DrawQueue::Publish() {
  published_.store(count_, std::memory_order_release);
  if (count_ % kWakeEvery == 0 && sleeping_.load(std::memory_order_relaxed)) wake_.notify_one();
}

void DrawQueue::Add(Surface* target, const Viewport& viewport, const RenderStates& states, const Quad& quad,
                    const Surface* texture, int addressMode) {
  PreparedQuad prepared;
  if (!PrepareQuad(viewport, quad, prepared)) return;
  uint32_t bands = BandsOf(*target, prepared.firstRow, prepared.lastRow);
  if (bands == 0) return;
  Command& c = Append(bands);
  c.target = target;
  c.texture = texture;
  c.addressMode = addressMode;
  c.fill = false;
  c.states = states;
  c.quad = prepared;
  Publish();
}

void DrawQueue::Fill(Surface* target, uint32_t argb) {
  Command& c = Append(BandsOf(*target, 0, target->height - 1));
  c.target = target;
  c.texture = nullptr;
  c.fill = true;
  c.fillColour = argb;
  Publish();
}

void DrawQueue::Draw(const Command& c, int band) {
  Surface& target = *c.target;
  int first = BandStart(target, band), end = BandStart(target, band + 1);
  if (c.fill) {
    if (first < end) FillPixels(target.Row(first), static_cast<size_t>(end - first) * target.width, c.fillColour);
    return;
  }
  RasterPrepared(target, c.states, c.quad, c.texture, c.addressMode, first, end);
}

bool DrawQueue::DrawAvailable() {
  bool blocked = false;
  for (int b = 0; b < kBands; ++b) {
    Band& band = bands_[b];
    size_t available = published_.load(std::memory_order_acquire);
    if (band.done.load(std::memory_order_relaxed) >= available) continue;
    if (band.busy.exchange(true, std::memory_order_acquire)) {
      blocked = true;
      continue;
    }
    size_t i = band.done.load(std::memory_order_relaxed);
    const uint32_t bit = 1u << b;
    for (; i < available; ++i)
      if (bandMasks_[i / kChunk][i % kChunk] & bit) Draw(At(i), b);
    band.done.store(i, std::memory_order_relaxed);
    band.busy.store(false, std::memory_order_release);
  }
  return blocked;
}

bool DrawQueue::HasWork() const {
  size_t available = published_.load(std::memory_order_acquire);
  for (const Band& band : bands_)
    if (!band.busy.load(std::memory_order_relaxed) && band.done.load(std::memory_order_relaxed) < available) return true;
  return false;
}

void DrawQueue::Worker() {
  std::unique_lock<std::mutex> guard(lock_);
  for (;;) {
    sleeping_.store(true, std::memory_order_relaxed);
    wake_.wait(guard, [this] { return stopping_ || HasWork(); });
    sleeping_.store(false, std::memory_order_relaxed);
    if (stopping_) return;
    active_ = true;
    guard.unlock();
    while (DrawAvailable()) std::this_thread::yield();
    guard.lock();
    active_ = false;
    idle_.notify_all();
  }
}

void DrawQueue::Flush() {
  if (count_ == 0) return;
  // Every command is published as it is queued.
  if (sleeping_.load(std::memory_order_relaxed)) wake_.notify_one();
  // Draw alongside the worker until every band has every command.
  for (;;) {
    bool blocked = DrawAvailable();
    bool finished = std::all_of(bands_.begin(), bands_.end(), [this](const Band& band) {
      return band.done.load(std::memory_order_acquire) >= count_ && !band.busy.load(std::memory_order_acquire);
    });
    if (finished) break;
    if (blocked) std::this_thread::yield();
  }
  // The worker may still be looking for work; reset once it has stopped.
  std::unique_lock<std::mutex> guard(lock_);
  idle_.wait(guard, [this] { return !active_; });
  for (Band& band : bands_) band.done.store(0, std::memory_order_relaxed);
  published_.store(0, std::memory_order_relaxed);
  count_ = 0;
}

}  // namespace tarn::gfx

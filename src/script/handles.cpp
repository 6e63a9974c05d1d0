#include "script/handles.h"

namespace tarn {

namespace {

// A handle's bits, highest first: the family's tag, the slot's generation,
// the slot's index. The tag is never 0, so no handle is empty, and on 64-bit
// hosts no address of ours (top bits clear) reads as a handle.
constexpr int kValueBits = static_cast<int>(sizeof(uintptr_t)) * 8;
constexpr int kKindBits = 4;
constexpr int kIndexBits = kValueBits == 64 ? 32 : 16;
constexpr int kGenerationBits = kValueBits - kKindBits - kIndexBits;
constexpr int kKindShift = kValueBits - kKindBits;
constexpr uintptr_t kIndexMask = (uintptr_t{1} << kIndexBits) - 1;
constexpr uintptr_t kGenerationMask = (uintptr_t{1} << kGenerationBits) - 1;
constexpr uint64_t kMaxSlots = uint64_t{1} << kIndexBits;
static_assert(kGenerationBits <= 32, "a slot's generation is kept in 32 bits");

}  // namespace

HandleTable::HandleTable(HandleKind kind, Destroy destroy) : kind_(kind), destroy_(destroy) {}

HandleTable::~HandleTable() { EraseOwned(); }

ScriptHandle HandleTable::HandleOf(uint32_t index) const {
  uintptr_t kind = static_cast<uintptr_t>(kind_) << kKindShift;
  uintptr_t generation = static_cast<uintptr_t>(slots_[index].generation) << kIndexBits;
  return ScriptHandle{kind | generation | index};
}

const HandleTable::Slot* HandleTable::LiveSlot(ScriptHandle handle, uint32_t& index) const {
  if (handle.value >> kKindShift != static_cast<uintptr_t>(kind_)) return nullptr;
  uintptr_t slot = handle.value & kIndexMask;
  if (slot >= slots_.size()) return nullptr;
  index = static_cast<uint32_t>(slot);
  const Slot& entry = slots_[index];
  bool current = ((handle.value >> kIndexBits) & kGenerationMask) == entry.generation;
  return current && entry.object ? &entry : nullptr;
}

ScriptHandle HandleTable::Insert(void* object, bool owned) {
  if (!object) return ScriptHandle();
  uint32_t index = 0;
  if (!free_.empty()) {
    index = free_.back();
    free_.pop_back();
  } else if (slots_.size() < kMaxSlots) {
    index = static_cast<uint32_t>(slots_.size());
    slots_.emplace_back();
  } else {
    if (owned) destroy_(object);
    return ScriptHandle();
  }
  slots_[index].object = object;
  slots_[index].owned = owned;
  ++live_;
  return HandleOf(index);
}

void* HandleTable::Find(ScriptHandle handle) const {
  uint32_t index = 0;
  const Slot* slot = LiveSlot(handle, index);
  return slot ? slot->object : nullptr;
}

void HandleTable::Vacate(uint32_t index) {
  Slot& slot = slots_[index];
  void* object = slot.object;
  bool owned = slot.owned;
  slot.object = nullptr;
  slot.owned = false;
  --live_;
  // A slot whose generations are used up is retired, so that no handle it
  // gave out can ever name a later object.
  if (++slot.generation <= kGenerationMask) free_.push_back(index);
  if (owned) destroy_(object);
}

bool HandleTable::Erase(ScriptHandle handle) {
  uint32_t index = 0;
  if (!LiveSlot(handle, index)) return false;
  Vacate(index);
  return true;
}

void HandleTable::EraseOwned() {
  for (uint32_t index = 0; index < slots_.size(); ++index)
    if (slots_[index].object && slots_[index].owned) Vacate(index);
}

ScriptHandle HandleTable::At(lua_State* L, int index) {
  if (lua_type(L, index) != LUA_TLIGHTUSERDATA) return ScriptHandle();
  return ScriptHandle{reinterpret_cast<uintptr_t>(lua_touserdata(L, index))};
}

void HandleTable::Push(lua_State* L, ScriptHandle handle) {
  if (handle) lua_pushlightuserdata(L, reinterpret_cast<void*>(handle.value));
  else lua_pushnil(L);
}

}  // namespace tarn

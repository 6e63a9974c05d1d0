// The engine objects scripts hold (bitmaps, fonts, effects, masks, sounds,
// requests), as handles of one typed registry per family. A handle travels as
// light userdata, but its value is not the object's address: it is the
// family's tag, a slot and the slot's generation. A handle that was released,
// one the script made up and one of another family all read as no object,
// never as freed memory or as an object that later took the same slot.
#pragma once

#include <lua.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tarn {

// The families of script objects; each tags its handles with its own value.
enum class HandleKind : uint8_t { kBitmap = 1, kFont, kEffect, kMask, kSound, kRequest };

// A script's handle on an engine object; the empty handle is no object.
struct ScriptHandle {
  uintptr_t value = 0;
  explicit operator bool() const { return value != 0; }
  bool operator==(ScriptHandle other) const { return value == other.value; }
  bool operator!=(ScriptHandle other) const { return value != other.value; }
};

// The family-blind part of a registry: slots of untyped objects.
class HandleTable {
 public:
  using Destroy = void (*)(void* object);

  HandleTable(HandleKind kind, Destroy destroy);
  ~HandleTable();
  HandleTable(const HandleTable&) = delete;
  HandleTable& operator=(const HandleTable&) = delete;

  // A handle on the object; an owned object is destroyed with its handle. The
  // empty handle when every slot of the family is taken.
  ScriptHandle Insert(void* object, bool owned);
  // The object of a live handle of this family, or null.
  void* Find(ScriptHandle handle) const;
  // Ends a live handle (destroying an owned object); false for any other.
  bool Erase(ScriptHandle handle);
  // Ends the handles of owned objects; those of adopted objects stay.
  void EraseOwned();
  size_t Size() const { return live_; }

  // The handle at the stack index (not necessarily live); empty for anything
  // but light userdata.
  static ScriptHandle At(lua_State* L, int index);
  // The handle as light userdata; nil for the empty handle.
  static void Push(lua_State* L, ScriptHandle handle);

 private:
  struct Slot {
    void* object = nullptr;
    uint32_t generation = 0;
    bool owned = false;
  };

  ScriptHandle HandleOf(uint32_t index) const;
  const Slot* LiveSlot(ScriptHandle handle, uint32_t& index) const;
  void Vacate(uint32_t index);

  HandleKind kind_;
  Destroy destroy_;
  std::vector<Slot> slots_;
  std::vector<uint32_t> free_;
  size_t live_ = 0;
};

// The registry of one family of objects of type T.
template <typename T>
class HandleSet {
 public:
  explicit HandleSet(HandleKind kind) : table_(kind, [](void* object) { delete static_cast<T*>(object); }) {}

  // Takes the object; its handle, or the empty handle (the object then freed).
  ScriptHandle Add(std::unique_ptr<T> object) {
    ScriptHandle handle = table_.Insert(object.get(), true);
    if (handle) object.release();
    return handle;
  }
  // An object the engine owns and frees itself, handed to scripts as well.
  ScriptHandle Adopt(T* object) { return table_.Insert(object, false); }

  T* Get(ScriptHandle handle) const { return static_cast<T*>(table_.Find(handle)); }
  T* Get(lua_State* L, int index) const { return Get(At(L, index)); }
  static ScriptHandle At(lua_State* L, int index) { return HandleTable::At(L, index); }
  static void Push(lua_State* L, ScriptHandle handle) { HandleTable::Push(L, handle); }

  // Ends the handle: an owned object is freed, an adopted one forgotten.
  bool Release(ScriptHandle handle) { return table_.Erase(handle); }
  // Frees every owned object still held (at shutdown, what the script never
  // released); adopted objects keep their handles.
  void ReleaseOwned() { table_.EraseOwned(); }
  size_t Size() const { return table_.Size(); }

 private:
  HandleTable table_;
};

}  // namespace tarn

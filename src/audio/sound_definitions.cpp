// The sound definition file and the sources its variants are read into.
//
//   (set global
//     (click "click.wav")                       one variant, weight 1
//     (step "step1.wav" ["step2.wav" 3]         a plain and a weighted variant
//           (v "stinger.wav" 1 1)))             weight 1, exclusive
//
// Sources are shared by file name: two variants naming the same file play one
// source, freed when the last of them goes.
#include <strings.h>

#include <cstring>

#include "audio/sound_system.h"
#include "diag/error.h"
#include "resources/filesystem.h"
#include "resources/parcon.h"

namespace tarn::audio {

void SoundSystem::LoadSounds(const std::string& path) {
  if (!engine_) return;
  ReleaseAllSounds();
  Parcon parcon;
  if (!parcon.Open(path, true) || !parcon.Root()) return;
  ReadDefinitions(*parcon.Root());
}

void SoundSystem::ReadDefinitions(const ParconList& root) {
  for (size_t i = 1; i < root.size(); ++i) {
    const ParconList* set = root[i]->List();
    if (!set) continue;
    ParconCursor cursor(set);
    const char* name = cursor.Name();
    if (!name || strcasecmp(name, "set") != 0) continue;
    if (set->size() < 2 || !(*set)[1]->Text() || std::strcmp((*set)[1]->Text(), "global") != 0) continue;
    for (size_t j = 2; j < set->size(); ++j)
      if (const ParconList* sound = (*set)[j]->List()) ReadSound(*sound);
  }
}

void SoundSystem::ReadSound(const ParconList& list) {
  ParconCursor cursor(&list);
  if (!cursor.Name()) return;  // an unnamed list names no sound
  SoundGroup& group = NewGroup(cursor.Name());
  while (cursor.Next()) {
    const ParconList* weighted = cursor.List();
    if (!weighted) {
      AddVariant(group, cursor.Value(""), 1, false);
      continue;
    }
    ParconCursor entry(weighted);
    if (!entry.NextIsValue()) continue;  // no file name: skipped
    std::string file = entry.NextString(false, "");
    try {
      int weight = entry.NextInt(true, 0);
      bool exclusive = entry.NextInt(false, 0) != 0;
      AddVariant(group, file, weight, exclusive);
    } catch (const ParconMissingData& error) {
      FatalError("%s\nLine: %d", error.Text().c_str(), error.Line());
    }
  }
}

SoundGroup& SoundSystem::NewGroup(const std::string& name) {
  // A name defined again takes the later definition.
  auto found = sounds_.find(name);
  if (found != sounds_.end()) {
    ReleaseGroup(found->second);
    found->second = SoundGroup();
    return found->second;
  }
  return sounds_[name];
}

void SoundSystem::AddVariant(SoundGroup& group, const std::string& file, int weight, bool exclusive) {
  // The group is stored before its variants are read, so that a fatal error
  // thrown here leaves every source it took where ReleaseAllSounds finds it.
  SoundVariant variant;
  variant.file = file;
  variant.weight = weight;
  variant.exclusive = exclusive;
  group.variants.push_back(variant);
  group.totalWeight += weight;
  group.variants.back().source = AcquireSource(file);
}

SourceId SoundSystem::AcquireSource(const std::string& file) {
  auto shared = sources_.find(file);
  if (shared != sources_.end()) {
    ++shared->second.users;
    return shared->second.id;
  }
  FileInfo info;
  std::unique_ptr<char[]> data = FileSystem::Instance().ReadWhole(file, &info, false);
  if (!data) {
    FatalError(fatal_text::kSoundFile, file.c_str());
    return 0;
  }
  SourceId id = engine_->AddSource(data.get(), info.size, file);
  if (id) sources_[file] = SharedSource{id, 1};
  return id;
}

void SoundSystem::ReleaseSource(const std::string& file) {
  auto shared = sources_.find(file);
  if (shared == sources_.end() || --shared->second.users > 0) return;
  engine_->RemoveSource(shared->second.id);
  sources_.erase(shared);
}

void SoundSystem::ReleaseGroup(SoundGroup& group) {
  for (SoundVariant& variant : group.variants) {
    StopTracked(variant.tracked);
    if (variant.source) ReleaseSource(variant.file);
    variant.source = 0;
  }
}

void SoundSystem::ReleaseAllSounds() {
  if (!engine_) return;
  for (auto& [name, group] : sounds_) ReleaseGroup(group);
  sounds_.clear();
}

}  // namespace tarn::audio

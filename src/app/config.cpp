#include "app/config.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>

#include "app/app.h"
#include "app/log_sinks.h"
#include "app/settings.h"
#include "app/system_checks.h"
#include "app/troubleshooter.h"
#include "diag/error.h"
#include "diag/log.h"
#include "net/request.h"
#include "net/upgrade.h"
#include "platform/platform.h"
#include "resources/filesystem.h"
#include "resources/parcon.h"
#include "script/lua.h"

namespace tarn {

namespace {

Requirements& StoredRequirements() {
  static Requirements requirements;
  return requirements;
}

bool Is(const char* name, const char* key) { return name && strcasecmp(name, key) == 0; }

std::string Limit(const std::string& text, size_t chars) { return text.substr(0, std::min(text.size(), chars)); }

void ApplyRequirement(ParconCursor& cursor, RequirementLevel& level) {
  std::string word = cursor.NextString(true, "");
  const char* what = word.c_str();
  if (Is(what, "os")) {
    level.osMajor = cursor.NextInt(false, 0);
    level.osMinor = cursor.NextInt(false, 0);
    level.osName = Limit(cursor.NextString(false, ""), 99);
  } else if (Is(what, "directx")) {
    level.dxMajor = cursor.NextInt(false, 0);
    level.dxMinor = cursor.NextInt(false, 0);
    std::string letter = cursor.NextString(false, "");
    level.dxLetter = letter.empty() ? 0 : letter[0];
  } else if (Is(what, "system_memory")) {
    level.systemMemory = static_cast<uint64_t>(static_cast<int64_t>(cursor.NextInt(false, 0))) * 1048576u;
  } else if (Is(what, "video_memory")) {
    level.videoMemory = static_cast<uint64_t>(static_cast<int64_t>(cursor.NextInt(false, 0))) * 1048576u;
  } else if (Is(what, "disable_audio")) {
    Cfg().disable_audio = cursor.NextInt(true, 0) != 0;
  }
}

// publisher_dir, app_dir and app_name name folders of the write folder's path:
// a value that is not one plain folder name is refused, the name kept.
void ApplyFolderName(const char* key, const std::string& name, ConfigStage& stage) {
  FileSystem& fs = FileSystem::Instance();
  bool taken = Is(key, "publisher_dir") ? fs.SetPublisherFolder(name)
               : Is(key, "app_dir")     ? fs.SetAppFolder(name)
                                        : fs.SetAppName(name);
  if (taken) return;
  std::string kept = Is(key, "publisher_dir") ? fs.PublisherFolder() : Is(key, "app_dir") ? fs.AppFolder() : fs.AppName();
  stage.refused.push_back("config.txt: " + std::string(key) + " \"" + name +
                          "\" is not one plain folder name (no path separator, \".\" or \"..\"); \"" + kept +
                          "\" stays");
}

// The bounds of HTTP requests: seconds 1 to 3600, answers 1 KiB to 1 GiB.
void ApplyNetLimit(const char* key, int value) {
  net::NetLimits limits = net::Limits();
  if (Is(key, "net_connect_timeout")) limits.connectTimeout = std::clamp(value, 1, 3600);
  if (Is(key, "net_stall_timeout")) limits.stallSeconds = std::clamp(value, 1, 3600);
  if (Is(key, "net_max_answer")) limits.maxResponse = std::clamp(value, 1024, 1 << 30);
  net::SetNetLimits(limits);
}

// One top-level entry of config.txt.
void ApplyEntry(ParconCursor& cursor, ConfigStage& stage, std::vector<std::string>& dataSources) {
  const char* key = cursor.Name();
  if (!key) return;
  Application& app = App();
  Settings& cfg = Cfg();
  auto flag = [&]() { return cursor.NextInt(true, 0) != 0; };
  auto text = [&]() { return cursor.NextString(true, ""); };

  if (Is(key, "full_screen")) app.fullScreen = flag();
  else if (Is(key, "opengl")) cfg.opengl = flag();
  else if (Is(key, "tex_force_pow_of_2")) cfg.tex_force_pow_of_2 = flag();
  else if (Is(key, "tex_force_dxt")) cfg.tex_force_dxt = flag();
  else if (Is(key, "tex_16bit")) cfg.tex_16bit = flag();
  else if (Is(key, "static_rendertarget")) cfg.static_rendertarget = flag();
  else if (Is(key, "net_connect_timeout") || Is(key, "net_stall_timeout") || Is(key, "net_max_answer"))
    ApplyNetLimit(key, cursor.NextInt(true, 0));
  else if (Is(key, "priority")) {
    if (!cursor.HasNext()) return;
    std::string word = cursor.NextString(false, "");
    if (Is(word.c_str(), "high")) stage.priorityClass = 128;
    else if (Is(word.c_str(), "normal")) stage.priorityClass = 32;
    else if (Is(word.c_str(), "idle")) stage.priorityClass = 64;
  } else if (Is(key, "dev_mode")) {
    cfg.dev_mode = flag();
    SetDeveloperMode(cfg.dev_mode);
  } else if (Is(key, "create_log")) cfg.create_log = flag();
  else if (Is(key, "bit16")) app.bit16 = flag();
  else if (Is(key, "zbuffer")) app.zbuffer = flag();
  else if (Is(key, "max_fps")) app.vsync = !flag();
  else if (Is(key, "vsync")) app.vsync = flag();
  else if (Is(key, "fps_limit")) app.fpsLimit = cursor.NextInt(true, 0);
  else if (Is(key, "perspective")) app.perspective = flag();
  else if (Is(key, "publisher_dir") || Is(key, "app_dir") || Is(key, "app_name")) ApplyFolderName(key, text(), stage);
  else if (Is(key, "local_save_dir") || Is(key, "portable")) {
    if (flag()) stage.saveLocally = true;
  } else if (Is(key, "icon_file")) app.iconFile = Limit(text(), 127);
  else if (Is(key, "icon_id")) app.iconId = cursor.NextInt(true, 0);
  else if (Is(key, "project_code")) app.projectCode = Limit(text(), 64);
  else if (Is(key, "autoupdate")) app.autoupdate = flag();
  else if (Is(key, "upgrade_server")) app.upgradeServer = Limit(text(), 255);
  else if (Is(key, "data_source")) dataSources.push_back(text());
  else if (Is(key, "send_errors")) cfg.send_errors = flag();
  else if (Is(key, "confirm_exit")) cfg.confirm_exit = flag();
  else if (Is(key, "dxdiag")) {
    if (flag()) stage.systemChecks = true;
  } else if (Is(key, "requirement_warning")) ApplyRequirement(cursor, stage.requirements.warning);
  else if (Is(key, "requirement_error")) ApplyRequirement(cursor, stage.requirements.error);
}

// The first lines of a small text file in the game's folder (without their
// line feeds); empty when the file is missing.
std::vector<std::string> ReadGameFileLines(const std::string& file, int count) {
  std::vector<std::string> lines;
  FileSystem& fs = FileSystem::Instance();
  InputStream* stream = fs.OpenRead(Platform::Get().CurrentFolder() + "/" + file, nullptr, true);
  if (!stream) return lines;
  std::string line;
  while (static_cast<int>(lines.size()) < count && std::getline(*stream, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();  // files saved with CR LF
    lines.push_back(line);
  }
  fs.CloseRead(stream);
  return lines;
}

}  // namespace

bool ApplyConfigFile(const std::string& path, ConfigStage& stage, std::vector<std::string>& dataSources) {
  Parcon parcon;
  if (!parcon.Open(path, true)) return false;
  const ParconList* root = parcon.Root();
  if (!root) return true;
  for (size_t i = 1; i < root->size(); ++i) {
    const ParconList* list = (*root)[i]->List();
    if (!list) continue;
    ParconCursor cursor(list);
    try {
      ApplyEntry(cursor, stage, dataSources);
    } catch (const ParconMissingData& error) {
      // The parser's error ends the start, but not in silence: it goes to the
      // log with the line of the entry, then on to the run loop.
      LogError("%s\nLine: %d", error.Text().c_str(), error.Line());
      throw;
    }
  }
  return true;
}

void ReadLanguage() {
  std::vector<std::string> lines = ReadGameFileLines("language.txt", 1);
  if (!lines.empty()) App().language = Limit(lines[0], 31);
}

int ReadVersion(std::string* date) {
  Application& app = App();
  if (app.appBuild <= 0) {
    std::vector<std::string> lines = ReadGameFileLines("version.txt", 2);
    if (!lines.empty()) app.appBuild = std::atoi(Limit(lines[0], 14).c_str());
    if (lines.size() > 1) app.appDate = Limit(lines[1], 30);
  }
  if (date) *date = app.appDate;
  return app.appBuild;
}

static bool RunUpgradeCheck() {
  Application& app = App();
  net::UpgradeSetup setup;
  setup.installedBuild = ReadVersion(nullptr);
  setup.projectCode = app.projectCode;
  setup.language = app.language;
  setup.server = app.upgradeServer;
  setup.autoupdate = app.autoupdate;
  setup.appName = FileSystem::Instance().AppName();
  setup.onDownloaded = [](int build, int installed) { ScriptUpgradeDownloaded(build, installed); };
  return net::RunUpgradeCheck(setup);
}

const Requirements& ConfiguredRequirements() { return StoredRequirements(); }

bool LoadConfiguration(const std::string& path, std::vector<std::string>& dataSources) {
  ConfigStage stage;
  if (!ApplyConfigFile(path, stage, dataSources)) return false;
  StoredRequirements() = stage.requirements;
  ReadLanguage();
  FileSystem& fs = FileSystem::Instance();
  if (stage.saveLocally) fs.SetWriteFolder("user/");
  fs.FinishSetup();
  if (Cfg().optionsFlag) {
    // The log of the last run stays as it was: nothing of this run goes there.
    Cfg().create_log = false;
    ShowTroubleshooter();
    return false;
  }
  ResetLog();
  for (const std::string& text : stage.refused) LogWarning("%s", text.c_str());
  LogInfo("Config loaded\n");
  LogInfo("Tarn engine version: %s (%s)", kEngineVersion, kEngineBuildDate);
  LogInfo("Platform: %s", kPlatformName);
  LogInfo("OpenGL: %s", Cfg().opengl ? "true" : "false");
  if (RunUpgradeCheck()) return false;
  if (Platform::Get().SetPriorityClass(stage.priorityClass))
    LogInfo("Process priority change OK. Set to %d.\n", stage.priorityClass);
  else
    LogInfo("Process priority change failed!\n");
  if (!CheckDirectXVersion()) return false;
  if (stage.systemChecks && CollectSystemInfo(true, true, true) && !CheckRequirements(stage.requirements))
    return false;
  return true;
}

}  // namespace tarn

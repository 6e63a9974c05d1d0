#include "app/system_checks.h"

#include <cstdio>

#include "app/settings.h"
#include "app/wait_window.h"
#include "diag/log.h"
#include "diag/system_info.h"
#include "platform/hostfs.h"
#include "platform/platform.h"
#include "resources/filesystem.h"
#include "resources/strings.h"

namespace tarn {

namespace {

constexpr const char* kMarkerFile = "_dxdiag";

GraphicsFacts DriverFacts() {
  GraphicsFacts facts;
  GraphicsDriverFacts driver;
  if (!Platform::Get().QueryGraphicsDriver(driver)) return facts;
  facts.known = true;
  facts.renderer = driver.renderer;
  facts.vendor = driver.vendor;
  facts.version = driver.version;
  facts.videoMemory = driver.videoMemory;
  return facts;
}

}  // namespace

bool CollectSystemInfo(bool log, bool showWindow, bool guard) {
  FileSystem& fs = FileSystem::Instance();
  if (guard) {
    hostfs::Entry entry;
    if (hostfs::Stat(fs.Resolve(kMarkerFile), entry)) return false;
    if (FILE* marker = fs.OpenWriteFile(kMarkerFile, "w", false)) fclose(marker);
  }
  if (showWindow) ShowWaitWindow(EngineTextOr("dxdiag_please_wait", "Loading, please wait..."));
  int width = 0, height = 0;
  Platform::Get().ScreenSize(width, height);
  GraphicsFacts graphics = DriverFacts();
  // The software renderer runs everywhere; OpenGL needs a driver that answers.
  bool rendererAvailable = !Cfg().opengl || graphics.known;
  std::vector<SystemFact> facts = GatherSystemFacts(FactSources(), graphics, rendererAvailable, width, height);
  ApplySystemFacts(facts, CurrentSystemInfo());
  if (log) LogSystemFacts(facts);
  if (showWindow) CloseWaitWindow();
  if (guard) fs.RemoveFile(kMarkerFile);
  return true;
}

bool CheckRequirements(const Requirements& requirements) {
  const SystemInfo& info = CurrentSystemInfo();
  RequirementVerdict verdict = EvaluateRequirements(requirements, info);
  if (verdict.Failed(RequirementKind::VideoMemory)) {
    Settings& cfg = Cfg();
    cfg.tex_16bit = true;
    cfg.renderTargetInFullScreen = false;
    cfg.renderTargetInWindow = false;
  }
  EngineTexts texts = [](const char* key, const char* fallback) { return EngineTextOr(key, fallback); };
  return ConfirmRequirements(verdict, requirements, info, texts);
}

bool CheckDirectXVersion() {
  LogInfo("DirectX version check skipped: no DirectX on this host");
  return true;
}

}  // namespace tarn

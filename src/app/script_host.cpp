#include "app/script_host.h"

#include <memory>
#include <string>

#include "app/app.h"
#include "app/config.h"
#include "app/settings.h"
#include "app/window.h"
#include "resources/filesystem.h"
#include "script/input.h"
#include "script/registry.h"
#include "script/source_loader.h"

namespace tarn {

namespace {

std::unique_ptr<char[]> ReadGameFile(const std::string& path, size_t& size) {
  FileInfo info;
  std::unique_ptr<char[]> buffer = FileSystem::Instance().ReadWhole(path, &info, false);
  size = info.size;
  return buffer;
}

GameFacts ReadGameFacts() {
  GameFacts facts;
  facts.devMode = Cfg().dev_mode;
  facts.appBuild = ReadVersion(&facts.appDate);
  facts.buildVersion = kEngineVersion;
  facts.buildDate = kEngineBuildDate;
  facts.platform = kPlatformName;
  facts.projectCode = App().projectCode;
  facts.language = App().language;
  facts.appName = FileSystem::Instance().AppName();
  return facts;
}

MouseWindow LookAtWindow() {
  const Display& display = GetDisplay();
  MouseWindow window;
  window.coversScreen = display.fullScreenWindow;
  ShownImageRect(display.aspectCorrection, window.imageX, window.imageY, window.imageWidth, window.imageHeight);
  window.gameWidth = display.gameWidth;
  window.gameHeight = display.gameHeight;
  return window;
}

}  // namespace

void ConnectScriptHost() {
  SetScriptFileReader(ReadGameFile);
  SetGameFacts(ReadGameFacts);
  SetMouseWindow(LookAtWindow);
}

}  // namespace tarn

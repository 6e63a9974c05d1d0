#include "app/app.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "app/config.h"
#include "app/console.h"
#include "app/frame_timer.h"
#include "app/log_sinks.h"
#include "app/graphics_setup.h"
#include "app/script_host.h"
#include "app/settings.h"
#include "app/window.h"
#include "audio/game_file.h"
#include "audio/sound_system.h"
#include "diag/crash.h"
#include "diag/error.h"
#include "diag/log.h"
#include "graphics/bitmap_handles.h"
#include "graphics/mask_handles.h"
#include "graphics/render.h"
#include "graphics/render_target.h"
#include "graphics/screenshot.h"
#include "graphics/sprite.h"
#include "graphics/texture.h"
#include "net/requests.h"
#include "particles/effect_handles.h"
#include "script/input.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "resources/filesystem.h"
#include "script/lua.h"
#include "script/registry.h"
#include "text/text_renderer.h"

namespace tarn {

namespace {
constexpr const char* kHistoryFile = "console_history.txt";
constexpr double kMaxFrameTime = 0.1;
constexpr int kInactiveSleepMs = 50;
constexpr int kRecreateRetryMs = 200;

// The lock that keeps a second copy of the same game from starting.
std::string InstanceLockFile() {
  std::string name = FileSystem::Instance().AppName();
  for (char& c : name)
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 32) c = '_';
  return FileSystem::Instance().Resolve("." + name + ".lock");
}
}  // namespace

Settings& Cfg() {
  static Settings settings;
  return settings;
}

Application& App() {
  static Application app;
  return app;
}

Application::Application() { SetCrashDumpPath(Platform::Installed() ? Platform::Get().CurrentFolder() + "/crash.dmp" : "crash.dmp"); }

void Application::Run() {
  Platform& platform = Platform::Get();
  bool failed = false;
  try {
    if (Init()) {
      while (!quit) {
        Message message;
        if (platform.PeekMessage(message)) {
          if (message.type == MsgType::Quit) throw ExceptionQuit();
          platform.TrackInput(message);
          WindowProc(message);
        } else {
          Tick();
        }
      }
    }
  } catch (const ExceptionQuit&) {
  } catch (...) {
    failed = true;
  }
  // Shutdown runs on every way out, also when the script's destroy fails
  // after the quit message; such a failure ends the run like any other.
  if (!Shutdown()) failed = true;
  if (failed) {
    StartCrashReporter();
    platform.PostMessage({MsgType::Close, 0, 0, 0});
  }
}

bool Application::Init() {
  std::string configPath = Platform::Get().CurrentFolder() + "/config.txt";
  std::replace(configPath.begin(), configPath.end(), '\\', '/');
  if (!LoadConfiguration(configPath, dataSources)) return false;
  if (!Platform::Get().AcquireInstanceLock(InstanceLockFile())) return false;
  LogInfo("Application::Init\n");
  FileSystem::Instance().MountStandardSources(dataSources);
  FrameTimer::Instance().Start(kMaxFrameTime);
  srand(static_cast<unsigned>(time(nullptr)));
  started_ = true;
  ConnectScriptHost();
  StartScriptHost();
  CreateMainWindow();
  StartSound();
  Console::Instance().LoadHistory(kHistoryFile, false);
  ScriptInit();
  gfx::TextureManager::Instance().CollectUnreferenced();
  FrameTimer::Instance().Reset();
  LogInfo("Application::Init done\n");
  return true;
}

void Application::StartSound() {
  audio::AudioSetup setup;
  setup.disableAudio = Cfg().disable_audio;
  setup.createEngine = &audio::CreateSoundEngine;
  setup.opener = &audio::OpenGameFile;
  audio::SoundSystem::Instance().StartAudio(setup);
}

void Application::CreateMainWindow() {
  Display& display = GetDisplay();
  gfx::RenderDevice& device = gfx::RenderDevice::Instance();
  gfx::TextureManager::Instance().SetOptions(ConfiguredTextureOptions());
  for (int pass = 0; pass < 2; ++pass) {
    LogInfo("CreateMainWindow");
    hasWindow = CreateAppWindow(display.requestedWidth, display.requestedHeight, fullScreen);
    if (!hasWindow) {
      FatalError("%s", fatal_text::kCannotCreateAppWindow);
      return;
    }
    if (!Cfg().opengl && !device.InitDevice(gfx::CreateSoftwareBackend(), MainDeviceSetup())) {
      FatalError("%s", fatal_text::kCannotInitDirectX);
      return;
    }
    if (!display.useMainRenderTarget || gfx::CreateMainRenderTarget(display.gameWidth, display.gameHeight)) break;
    // No main render target: start again without one.
    device.CloseDevice();
    Platform::Get().DestroyWindow();
    Cfg().renderTargetInFullScreen = false;
    Cfg().renderTargetInWindow = false;
  }
  if (Cfg().static_rendertarget) gfx::CreateStaticRenderTarget(display.gameWidth, display.gameHeight);
  device.SetCullMode(gfx::kCullNone);
  AttachMouse();
}

void Application::RecreateDisplay(bool& giveUp) {
  giveUp = false;
  LogInfo("Recreate D3D");
  if (toggleFullScreen) LogInfo("toggleFullScreen");
  if (recreateOnActivateApp) LogInfo("recreateOnActivateApp");
  // Under the default renderer a lost device is made again on the same
  // window; everything else rebuilds the window.
  bool rebuild = !(recreateOnActivateApp && !Cfg().opengl);
  text::TextRenderer::Instance().ReleaseBuffers();
  gfx::TextureManager::Instance().ReleaseDeviceObjects();
  gfx::RenderDevice::Instance().CloseDevice();
  if (rebuild) Platform::Get().DestroyWindow();
  recreateOnActivateApp = false;
  if (toggleFullScreen) {
    fullScreen = !fullScreen;
    toggleFullScreen = false;
  }
  frameRan = false;
  if (rebuild) {
    CreateMainWindow();
  } else {
    if (!gfx::RenderDevice::Instance().InitDevice(gfx::CreateSoftwareBackend(), MainDeviceSetup())) {
      recreateOnActivateApp = true;
      giveUp = true;
      return;
    }
  }
  gfx::TextureManager::Instance().RestoreDeviceObjects();
  ScriptRecreate();
  FrameTimer::Instance().Reset();
}

void Application::Tick() {
  FrameTimer& timer = FrameTimer::Instance();
  Platform& platform = Platform::Get();
  bool foreground = active && !minimized;
  if (foreground != wasActive) {
    wasActive = foreground;
    if (foreground) {
      timer.Reset();
      audio::SoundSystem::Instance().ResumeAllSounds();
    } else {
      audio::SoundSystem::Instance().PauseAllSounds();
    }
    ResetMouse();
    ClearKeyboard();
    if (foreground && Cfg().dev_mode) gfx::TextureManager::Instance().ReloadChangedTextures();
  }
  if (!foreground) {
    platform.Sleep(kInactiveSleepMs);
    if (!recreateOnActivateApp && frameRan) DrawFrame(false);
    return;
  }
  if (toggleFullScreen || recreateOnActivateApp) {
    bool giveUp = false;
    RecreateDisplay(giveUp);
    if (giveUp) {
      platform.Sleep(kRecreateRetryMs);
      return;
    }
  }
  double dt = timer.TakeFrameTime();
  if (fpsLimit >= 1) {
    fpsAccumulator += dt;
    if (fpsAccumulator < 1.0 / fpsLimit) return;
    dt = fpsAccumulator;
    fpsAccumulator = 0;
  }
  if (dt <= 0) return;
  frameRan = true;
  ++frameCount;
  PollMouse();
  PollKeyboard();
  FillMouseTable();
  Update(static_cast<float>(dt));
  if (quit || recreateOnActivateApp) return;
  DrawFrame(true);
}

void Application::DrawFrame(bool collect) {
  gfx::RenderDevice& device = gfx::RenderDevice::Instance();
  device.ClearFrame();
  if (device.BeginFrame()) {
    Render();
    device.EndFrame(GetDisplay().aspectCorrection);
  }
  if (collect) gfx::TextureManager::Instance().CollectUnreferenced();
  // The screenshot key takes the finished frame.
  if (collect && (IsStruck(kKeyF1) || IsStruck(kKeyF12))) gfx::TakeScreenshot(nullptr, nullptr, 0, 0);
  device.Present();
}

void Application::Update(float dt) {
  if (InErrorView()) return;
  net::NetRequests::Instance().UpdateRequests();
  if (Cfg().dev_mode) {
    if (!Console::Instance().HandleKeys()) return;
    if (IsDown(kKeyAlt) && IsStruck(kKeyF8)) toggleFullScreen = true;
  }
  if (IsDown(kKeyAlt) && IsStruck(kKeyEnter)) toggleFullScreen = true;
  ScriptUpdate(dt);
  audio::SoundSystem::Instance().UpdateFades(dt);
}

void Application::Render() {
  gfx::RenderDevice& device = gfx::RenderDevice::Instance();
  device.ResetDrawnPolys();
  device.SetBlendMode(1);
  Console& console = Console::Instance();
  const Display& display = GetDisplay();
  if (!InErrorView()) {
    if (ScriptState()) {
      if (TARN_PUSH_GLOBAL("render", "Application::Render")) TARN_CALL_SCRIPT(0, 0, "Application::Render");
      gfx::TextureManager::Statistics textures = gfx::TextureManager::Instance().TextureStatistics();
      RefreshTarnStatistics(textures.count, static_cast<double>(textures.bytes), device.DrawnPolysCount(),
                            device.DrawnPolysSize());
    }
    if (console.Mode() == Console::kOpen) {
      gfx::Tint black;
      black.set = true;
      black.r = black.g = black.b = 0;
      gfx::DrawBox(0, 0, 0, static_cast<float>(display.clientWidth), static_cast<float>(display.clientHeight), black,
                   0, 0.65f, 1);
    }
    if (Cfg().dev_mode) console.Draw();
  } else if (Cfg().dev_mode) {
    gfx::Tint black;
    black.set = true;
    black.r = black.g = black.b = 0;
    gfx::DrawBox(0, 0, 0, static_cast<float>(display.gameWidth), static_cast<float>(display.gameHeight), black, 0,
                 1, 1);
    console.Draw();
  }
}

bool Application::Shutdown() {
  if (shutDown_) return true;
  shutDown_ = true;
  Cfg().confirm_exit = false;
  // Every step runs whatever happened in the ones before it.
  bool completed = true;
  auto step = [&completed](auto&& work) {
    try {
      work();
    } catch (...) {
      completed = false;
    }
  };
  step([] { ScriptDestroy(); });
  step([] { CloseScriptHost(); });
  step([] { audio::SoundSystem::Instance().ReleaseAllSounds(); });
  step([] { text::TextRenderer::Instance().ReleaseAllFonts(); });
  step([] { particles::FreeAllScriptEffects(); });
  step([] { gfx::ReleaseMainRenderTarget(); });
  step([] { gfx::ReleaseStaticRenderTarget(); });
  step([] { gfx::ReleaseAllMasks(!InErrorView()); });
  step([] { gfx::FreeAllScriptMasks(); });
  step([] { gfx::TextureManager::Instance().ReleaseAllTextures(!InErrorView()); });
  step([] { gfx::FreeAllScriptBitmaps(); });
  step([] { text::TextRenderer::Instance().ReleaseBuffers(); });
  step([] { gfx::RenderDevice::Instance().CloseDevice(); });
  step([] { audio::SoundSystem::Instance().StopAudio(); });
  step([] { net::NetRequests::Instance().ReleaseAll(); });
  step([] { Console::Instance().SaveHistory(kHistoryFile, false); });
  return completed;
}

int EngineMain(int argc, char** argv) {
  InstallLogSinks();
  for (int i = 1; i < argc; ++i)
    if (strcasecmp(argv[i], "options") == 0) Cfg().optionsFlag = true;
  if (argc > 1 && std::string(argv[1]) == "version") {
    MessageBoxRequest box;
    box.caption = "Version info";
    box.text = std::string("Tarn Engine Version: ") + kEngineVersion + "\nBuild date: " + kEngineBuildDate;
    Platform::Get().ShowMessageBox(box);
    return 0;
  }
  App().Run();
  return 0;
}

}  // namespace tarn

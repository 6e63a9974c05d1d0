// The application object: start-up, the frame loop, shutdown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

inline constexpr const char* kEngineVersion = "1.4.7";
inline constexpr const char* kEngineBuildDate = "Aug 12 2010";
inline constexpr const char* kPlatformName = "linux";

class Application {
 public:
  Application();

  // Start-up, run loop and shutdown, with the exception guards.
  void Run();
  bool Init();
  void Tick();
  void Update(float dt);
  void Render();
  void CreateMainWindow();
  void StartSound();  // the sound system on the platform's audio output
  // Tears everything down, once; false when a step failed (the script's
  // destroy raised a fatal error, say). Every step runs in any case.
  bool Shutdown();
  // Clears, draws (Render between begin and end of the frame) and presents.
  void DrawFrame(bool collectTextures);

  // Ends the run from the window procedure's close handling.
  void RecreateDisplay(bool& giveUp);

  int32_t appBuild = 0;
  std::string appDate;  // at most 31 characters
  bool active = true;
  bool minimized = false;
  bool fullScreen = false;
  bool toggleFullScreen = false;
  bool quit = false;
  bool perspective = true;
  bool vsync = false;
  int32_t fpsLimit = 0;
  bool bit16 = false;
  bool zbuffer = false;
  std::string iconFile;     // at most 127 characters
  int32_t iconId = 0;
  std::string projectCode = "tarn";  // at most 64 characters
  std::string language = "en";       // at most 32 characters
  bool autoupdate = false;
  std::string upgradeServer;  // scheme and host of the upgrade server; empty: none
  bool recreateOnActivateApp = false;
  bool hardwareCursor = true;
  bool hasWindow = false;
  double fpsAccumulator = 0;
  bool frameRan = false;
  bool wasActive = false;

  std::vector<std::string> dataSources;  // data_source entries of config.txt
  int frameCount = 0;                    // frames that ran their update

 private:
  bool shutDown_ = false;
  bool started_ = false;
};

Application& App();

// Process entry: parses the command line and runs the engine. Returns the exit code.
int EngineMain(int argc, char** argv);

}  // namespace tarn

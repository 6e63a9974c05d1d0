// tarn-headless: the real engine on the headless platform, for tests,
// benchmarks and game makers' automated checks.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/console.h"
#include "graphics/image/png_file.h"
#include "script/input.h"
#include "platform/headless/headless_platform.h"

namespace {

const char* kUsage =
    "usage: tarn-headless [options] [-- engine arguments]\n"
    "  --game DIR       the game's folder (default: current folder)\n"
    "  --frames N       end after N passes of the frame loop (default 600)\n"
    "  --dt S           virtual seconds per pass (default 0.0166667)\n"
    "  --events FILE    scripted input, one \"<pass> <event> [args]\" a line\n"
    "  --answer WORD    answer to the next message box (repeatable)\n"
    "  --profile DIR    the user profile folder\n"
    "  --screen WxH     the screen size (default 1920x1080)\n"
    "  --shot N:FILE    after pass N has presented, save the window's image as PNG\n";

// The folder the runner was started in (relative paths of options are read
// against it, before the runner enters the game's folder).
std::string OriginalDir() {
  static const std::string dir = [] {
    char here[4096];
    return std::string(getcwd(here, sizeof here) ? here : ".");
  }();
  return dir;
}

int Fail(const std::string& message) {
  fprintf(stderr, "tarn-headless: %s\n%s", message.c_str(), kUsage);
  return 2;
}

bool ParseInt(const std::string& text, int& out) {
  char* end = nullptr;
  long value = strtol(text.c_str(), &end, 10);
  if (text.empty() || *end || value < 0 || value > 100000000) return false;
  out = static_cast<int>(value);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  tarn::HeadlessOptions options;
  std::string game, eventsFile;
  std::vector<std::string> engineArgs = {argv[0]};
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--") {
      for (++i; i < argc; ++i) engineArgs.push_back(argv[i]);
      break;
    }
    if (arg == "--help" || arg == "-h") {
      fputs(kUsage, stdout);
      return 0;
    }
    if (i + 1 >= argc) return Fail("option " + arg + " needs a value");
    std::string value = argv[++i];
    if (arg == "--game") {
      game = value;
    } else if (arg == "--frames") {
      if (!ParseInt(value, options.frames)) return Fail("bad --frames " + value);
    } else if (arg == "--dt") {
      char* end = nullptr;
      options.dt = strtod(value.c_str(), &end);
      if (*end || !(options.dt >= 0)) return Fail("bad --dt " + value);
    } else if (arg == "--events") {
      eventsFile = value;
    } else if (arg == "--answer") {
      options.answers.push_back(value);
    } else if (arg == "--profile") {
      options.profile = value;
    } else if (arg == "--shot") {
      size_t colon = value.find(':');
      int pass = 0;
      if (colon == std::string::npos || !ParseInt(value.substr(0, colon), pass) || colon + 1 >= value.size())
        return Fail("bad --shot " + value);
      std::string file = value.substr(colon + 1);
      if (file[0] != '/') file = OriginalDir() + "/" + file;
      options.shots.emplace(pass, file);
    } else if (arg == "--screen") {
      size_t x = value.find('x');
      if (x == std::string::npos || !ParseInt(value.substr(0, x), options.screenWidth) ||
          !ParseInt(value.substr(x + 1), options.screenHeight))
        return Fail("bad --screen " + value);
    } else {
      return Fail("unknown option " + arg);
    }
  }

  std::string events;
  if (!eventsFile.empty()) {
    std::ifstream in(eventsFile);
    if (!in) return Fail("cannot read " + eventsFile);
    std::stringstream text;
    text << in.rdbuf();
    events = text.str();
  }
  if (!options.profile.empty() && options.profile[0] != '/') options.profile = OriginalDir() + "/" + options.profile;
  if (!game.empty() && chdir(game.c_str()) != 0) return Fail("cannot enter game folder " + game);

  auto platform = std::make_unique<tarn::HeadlessPlatform>(options);
  // Key names of the input table, single letters and digits, or "#N" for the
  // virtual-key code N (keys the table has no name for, like "=").
  platform->SetKeyNames([](const std::string& name) {
    if (name.size() > 1 && name[0] == '#') {
      int code = 0;
      return ParseInt(name.substr(1), code) && code > 0 && code < 255 ? code : 255;
    }
    return tarn::KeyCode(name.c_str());
  });
  platform->SetImageSaver([](const std::string& path, const uint8_t* bgra, int width, int height) {
    tarn::gfx::PixelImage image;
    image.width = width;
    image.height = height;
    image.bgra.assign(bgra, bgra + static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (size_t i = 3; i < image.bgra.size(); i += 4) image.bgra[i] = 255;  // a window has no alpha
    return tarn::gfx::WritePngFile(path, image);
  });
  std::string error;
  if (!platform->LoadEvents(events, error)) return Fail(eventsFile + ": " + error);
  tarn::HeadlessPlatform* headless = platform.get();
  tarn::Platform::Install(std::move(platform));
  tarn::Console::Instance().SetLineListener([headless](int level, const std::string& line) {
    headless->Emit(std::to_string(level), {line});
  });

  std::vector<char*> argvEngine;
  for (std::string& arg : engineArgs) argvEngine.push_back(arg.data());
  argvEngine.push_back(nullptr);
  tarn::EngineMain(static_cast<int>(engineArgs.size()), argvEngine.data());
  tarn::Console::Instance().SetLineListener(nullptr);
  int failedShots = headless->FinishShots();
  tarn::Platform::Install(nullptr);
  return failedShots > 0 ? 3 : 0;
}

// What the engine knows of the machine it runs on, for the log and for the
// game's stated minimum requirements. The facts are gathered as named
// properties in containers ("DxDiag_SystemInfo", "DxDiag_DisplayDevices.0"),
// under the names a Windows machine's diagnostics use, so logs from every
// host read alike; the fields below are read back from those properties.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

struct SystemInfo {
  int osMajor = 0;
  int osMinor = 0;
  int osBuild = 0;
  std::string osName;  // at most 99 characters
  int directXMajor = 0;
  int directXMinor = 0;
  char directXLetter = 0;
  uint64_t physicalMemory = 0;  // bytes; 0: not known
  uint64_t displayMemory = 0;
  bool d3dAvailable = true;  // the renderer the game uses can run
  int64_t driverDate = 0;
};

// The facts of the last collection (all 0 until then).
SystemInfo& CurrentSystemInfo();

// One property: its container ("" for the root), its name and its value.
struct SystemFact {
  std::string container;
  std::string name;
  std::string value;
};

// What the host's graphics driver says of itself (from a hidden OpenGL
// context where one can be made).
struct GraphicsFacts {
  bool known = false;
  std::string renderer;
  std::string vendor;
  std::string version;
  uint64_t videoMemory = 0;  // bytes; 0 when the driver does not tell
};

// Where the host's own facts are read; tests point them at files of theirs.
struct FactSources {
  std::string osRelease = "/etc/os-release";
  std::string cpuInfo = "/proc/cpuinfo";
  std::string memInfo = "/proc/meminfo";
  bool useUname = true;
};

// The machine's facts as properties: the kernel, the distribution, the
// processor, the memory, the screen and the graphics driver. Facts that
// cannot be read are left out. `rendererAvailable` tells whether the renderer
// the game is set to use can run here.
std::vector<SystemFact> GatherSystemFacts(const FactSources& sources, const GraphicsFacts& graphics,
                                          bool rendererAvailable, int screenWidth, int screenHeight);

// Reads the fields of `info` from the properties that carry them; a property
// that is missing or cannot be read leaves its field as it was.
void ApplySystemFacts(const std::vector<SystemFact>& facts, SystemInfo& info);

// Logs every fact at information level ("<container>.<name> = <value>")
// between the begin and end lines.
void LogSystemFacts(const std::vector<SystemFact>& facts);

// A size text such as "1.5 GB", "512.0 MB" or "24000 KB": the decimal number
// at its start times 1024 with "KB", 2^30 with "GB", else 2^20; 0 when the
// text does not start with a number.
uint64_t ParseSizeText(const std::string& text);

}  // namespace tarn

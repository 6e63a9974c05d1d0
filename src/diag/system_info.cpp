#include "diag/system_info.h"

#include <strings.h>
#include <sys/utsname.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include "diag/log.h"

namespace tarn {

namespace {

constexpr const char* kSystemContainer = "DxDiag_SystemInfo";
constexpr const char* kDisplayContainer = "DxDiag_DisplayDevices.0";
constexpr size_t kMaxFactFileBytes = 1 << 20;  // /proc/cpuinfo of a large machine stays well below
constexpr size_t kMaxOsName = 99;

// The first lines of a small text file, at most the bound in all.
std::vector<std::string> ReadFactLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  std::string line;
  size_t total = 0;
  while (total < kMaxFactFileBytes && std::getline(in, line)) {
    total += line.size() + 1;
    lines.push_back(line);
  }
  return lines;
}

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\"'");
  if (begin == std::string::npos) return std::string();
  size_t end = text.find_last_not_of(" \t\"'");
  return text.substr(begin, end - begin + 1);
}

// "key<separator>value" lines: the value of the first line with the key.
std::string ValueOf(const std::vector<std::string>& lines, const std::string& key, char separator) {
  for (const std::string& line : lines) {
    size_t at = line.find(separator);
    if (at != std::string::npos && Trim(line.substr(0, at)) == key) return Trim(line.substr(at + 1));
  }
  return std::string();
}

void AddOsFacts(const FactSources& sources, std::vector<SystemFact>& facts) {
  std::string name = ValueOf(ReadFactLines(sources.osRelease), "PRETTY_NAME", '=');
  std::string kernel;
  if (sources.useUname) {
    utsname host{};
    if (uname(&host) == 0) {
      int major = 0, minor = 0, build = 0;
      sscanf(host.release, "%d.%d.%d", &major, &minor, &build);
      facts.push_back({kSystemContainer, "dwOSMajorVersion", std::to_string(major)});
      facts.push_back({kSystemContainer, "dwOSMinorVersion", std::to_string(minor)});
      facts.push_back({kSystemContainer, "dwOSBuildNumber", std::to_string(build)});
      kernel = std::string(host.sysname) + " " + host.release + " " + host.machine;
    }
  }
  std::string longName = name.empty() ? kernel : kernel.empty() ? name : name + ", " + kernel;
  if (!longName.empty()) facts.push_back({kSystemContainer, "szOSExLongEnglish", longName});
}

void AddMachineFacts(const FactSources& sources, std::vector<SystemFact>& facts) {
  std::vector<std::string> cpu = ReadFactLines(sources.cpuInfo);
  int processors = 0;
  for (const std::string& line : cpu)
    if (line.compare(0, 9, "processor") == 0) ++processors;
  std::string model = ValueOf(cpu, "model name", ':');
  if (!model.empty())
    facts.push_back({kSystemContainer, "szProcessorEnglish", model + ", " + std::to_string(processors) + " CPUs"});
  std::string total = ValueOf(ReadFactLines(sources.memInfo), "MemTotal", ':');
  unsigned long long kilobytes = strtoull(total.c_str(), nullptr, 10);
  if (kilobytes > 0)
    facts.push_back({kSystemContainer, "szPhysicalMemoryEnglish", std::to_string(kilobytes / 1024) + "MB RAM"});
}

void AddDisplayFacts(const GraphicsFacts& graphics, bool rendererAvailable, int width, int height,
                     std::vector<SystemFact>& facts) {
  if (graphics.known) {
    facts.push_back({kDisplayContainer, "szDescription", graphics.renderer});
    facts.push_back({kDisplayContainer, "szManufacturer", graphics.vendor});
    facts.push_back({kDisplayContainer, "szDriverVersion", graphics.version});
  }
  if (width > 0 && height > 0) {
    facts.push_back({kDisplayContainer, "dwWidth", std::to_string(width)});
    facts.push_back({kDisplayContainer, "dwHeight", std::to_string(height)});
  }
  if (graphics.videoMemory > 0)
    facts.push_back({kDisplayContainer, "szDisplayMemoryEnglish",
                     std::to_string(graphics.videoMemory / 1048576) + " MB"});
  facts.push_back({kDisplayContainer, "szD3DStatusEnglish", rendererAvailable ? "Enabled" : "Not Available"});
}

bool Named(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

int ReadInt(const std::string& text, int fallback) {
  char* end = nullptr;
  long value = strtol(text.c_str(), &end, 10);
  return end == text.c_str() ? fallback : static_cast<int>(value);
}

// "month/day/year hour:minute:second" in local time; 0 when it does not read.
int64_t ReadDriverDate(const std::string& text) {
  std::tm when{};
  if (sscanf(text.c_str(), "%d/%d/%d %d:%d:%d", &when.tm_mon, &when.tm_mday, &when.tm_year, &when.tm_hour,
             &when.tm_min, &when.tm_sec) != 6)
    return 0;
  when.tm_mon -= 1;
  when.tm_year -= 1900;
  when.tm_isdst = -1;
  std::time_t seconds = std::mktime(&when);
  return seconds == static_cast<std::time_t>(-1) ? 0 : static_cast<int64_t>(seconds);
}

void ApplySystemFact(const SystemFact& fact, SystemInfo& info) {
  const std::string& v = fact.value;
  if (Named(fact.name, "dwOSMajorVersion")) info.osMajor = ReadInt(v, info.osMajor);
  else if (Named(fact.name, "dwOSMinorVersion")) info.osMinor = ReadInt(v, info.osMinor);
  else if (Named(fact.name, "dwOSBuildNumber")) info.osBuild = ReadInt(v, info.osBuild);
  else if (Named(fact.name, "szOSExLongEnglish")) info.osName = v.substr(0, kMaxOsName);
  else if (Named(fact.name, "dwDirectXVersionMajor")) info.directXMajor = ReadInt(v, info.directXMajor);
  else if (Named(fact.name, "dwDirectXVersionMinor")) info.directXMinor = ReadInt(v, info.directXMinor);
  else if (Named(fact.name, "szDirectXVersionLetter")) info.directXLetter = v.empty() ? 0 : v[0];
  else if (Named(fact.name, "szPhysicalMemoryEnglish")) info.physicalMemory = ParseSizeText(v);
}

void ApplyDisplayFact(const SystemFact& fact, SystemInfo& info) {
  const std::string& v = fact.value;
  if (Named(fact.name, "szDisplayMemoryEnglish")) info.displayMemory = ParseSizeText(v);
  else if (Named(fact.name, "szD3DStatusEnglish")) info.d3dAvailable = Named(v, "Enabled");
  else if (Named(fact.name, "szDriverDateEnglish")) info.driverDate = ReadDriverDate(v);
}

}  // namespace

SystemInfo& CurrentSystemInfo() {
  static SystemInfo info;
  return info;
}

std::vector<SystemFact> GatherSystemFacts(const FactSources& sources, const GraphicsFacts& graphics,
                                          bool rendererAvailable, int screenWidth, int screenHeight) {
  std::vector<SystemFact> facts;
  AddOsFacts(sources, facts);
  AddMachineFacts(sources, facts);
  AddDisplayFacts(graphics, rendererAvailable, screenWidth, screenHeight, facts);
  return facts;
}

void ApplySystemFacts(const std::vector<SystemFact>& facts, SystemInfo& info) {
  for (const SystemFact& fact : facts) {
    if (Named(fact.container, kSystemContainer)) ApplySystemFact(fact, info);
    else if (Named(fact.container, kDisplayContainer)) ApplyDisplayFact(fact, info);
  }
}

void LogSystemFacts(const std::vector<SystemFact>& facts) {
  LogInfo("DXDiag - Begin ---------------------");
  for (const SystemFact& fact : facts) {
    if (fact.name.find("Localized") != std::string::npos) continue;
    if (fact.container.empty()) LogInfo("%s = %s", fact.name.c_str(), fact.value.c_str());
    else LogInfo("%s.%s = %s", fact.container.c_str(), fact.name.c_str(), fact.value.c_str());
  }
  LogInfo("DXDiag - End ---------------------");
}

uint64_t ParseSizeText(const std::string& text) {
  const char* start = text.c_str();
  char* end = nullptr;
  double number = strtod(start, &end);
  if (end == start || !(number > 0)) return 0;
  double scale = text.find("KB") != std::string::npos   ? 1024.0
                 : text.find("GB") != std::string::npos ? 1073741824.0
                                                        : 1048576.0;
  double bytes = number * scale;
  if (!(bytes < 1.8e19)) return UINT64_MAX;  // beyond 64 bits: as large as can be told
  return static_cast<uint64_t>(bytes);
}

}  // namespace tarn

// The configuration stage: config.txt, language.txt, version.txt, the write
// folders and the checks that run before the game starts.
#pragma once

#include <string>
#include <vector>

#include "diag/requirements.h"

namespace tarn {

struct ConfigStage {
  int priorityClass = 32;
  bool systemChecks = false;  // dxdiag
  bool saveLocally = false;   // local_save_dir or portable
  Requirements requirements;
  std::vector<std::string> refused;  // warnings logged once the log is reset
};

// The values of config.txt applied to the application and the settings.
// False when the file cannot be opened (reported as a fatal error). Throws
// Exception on a key without its required value.
bool ApplyConfigFile(const std::string& path, ConfigStage& stage, std::vector<std::string>& dataSources);

// The whole configuration stage; false when the game must not start.
bool LoadConfiguration(const std::string& path, std::vector<std::string>& dataSources);

void ReadLanguage();
// The game's build number, reading version.txt while it is not known yet.
int ReadVersion(std::string* date = nullptr);

// The requirement table read by the last configuration stage.
const Requirements& ConfiguredRequirements();

}  // namespace tarn

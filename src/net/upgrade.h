// Upgrades in two runs: while a game runs, the maker's server is asked for a
// newer build and its installer is downloaded into "upgrades/" of the write
// folder; at the next start the newest installer above the installed build is
// offered to the player and started.
#pragma once

#include <functional>
#include <string>

namespace tarn::net {

struct UpgradeSetup {
  int installedBuild = 0;
  std::string projectCode;
  std::string language;
  std::string server;  // scheme and host, "https://updates.example.com"; empty: no check
  bool autoupdate = false;
  std::string appName;
  // Tells the script: sys_upgrade_downloaded(build, installed).
  std::function<void(int build, int installed)> onDownloaded;
};

// True when an installer was started and the start must end.
bool RunUpgradeCheck(const UpgradeSetup& setup);
// The newest installer above 'build' (which becomes its number), offered to
// the player; older ones deleted. True when the player chose to install.
bool RunPendingUpgrade(int& build, const UpgradeSetup& setup);
// A plain file name from the end of an address: no folders, no "..", no
// control characters; empty when nothing usable is left.
std::string InstallerFileName(const std::string& address);

}  // namespace tarn::net

#include "net/upgrade.h"

#include <strings.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "diag/log.h"
#include "diag/text_format.h"
#include "net/requests.h"
#include "platform/hostfs.h"
#include "platform/platform.h"
#include "resources/filesystem.h"
#include "resources/strings.h"

namespace tarn::net {

namespace {

constexpr const char* kInstallerPattern = "upgrades/*.run";
constexpr size_t kMaxFileName = 90;  // "upgrades/" and the name stay below 100 bytes
constexpr int kDownloadSize = 5000000;

void OnUpgradeDownloaded(NetRequest& request, const UpgradeSetup& setup) {
  std::string name = InstallerFileName(request.Url());
  if (name.empty()) {
    LogWarning("Upgrade: no usable file name in %s", request.Url().c_str());
    return;
  }
  std::string path = "upgrades/" + name;
  LogInfo("Saving upgrade to file: %s", path.c_str());
  FILE* file = FileSystem::Instance().OpenWriteFile(path, "wb", true);
  if (!file) return;
  const std::string& bytes = request.Response();
  bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  written = fflush(file) == 0 && written;
  written = fclose(file) == 0 && written;
  if (!written) {
    LogWarning("Upgrade: %s could not be written", path.c_str());
    return;
  }
  if (setup.onDownloaded) setup.onDownloaded(std::atoi(name.c_str()), setup.installedBuild);
}

void OnUpgradeReply(NetRequest& request, const UpgradeSetup& setup) {
  const std::string& reply = request.Response();
  LogInfo("Upgrade check. Reply from server: %s", reply.empty() ? "<NULL>" : reply.c_str());
  if (reply.empty() || strcasecmp(reply.c_str(), "OK") == 0) return;
  NetRequests::Instance().Get(
      reply, "", "", [setup](NetRequest& download) { OnUpgradeDownloaded(download, setup); }, kDownloadSize);
}

}  // namespace

std::string InstallerFileName(const std::string& address) {
  std::string name = address;
  size_t query = name.find_first_of("?#");
  if (query != std::string::npos) name.erase(query);
  size_t slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  for (unsigned char c : name)
    if (c < 32 || c == 127) return std::string();
  if (name.empty() || name == "." || name == ".." || name.size() > kMaxFileName) return std::string();
  return name;
}

bool RunPendingUpgrade(int& build, const UpgradeSetup& setup) {
  FileSystem& fs = FileSystem::Instance();
  std::vector<hostfs::Entry> files = hostfs::Enumerate(fs.WriteFolder() + kInstallerPattern);
  int chosen = -1;
  for (size_t i = 0; i < files.size(); ++i) {
    if (files[i].isDir) continue;
    int number = std::atoi(files[i].name.c_str());
    if (number > build) {
      build = number;
      chosen = static_cast<int>(i);
    }
  }
  for (size_t i = 0; i < files.size(); ++i)
    if (static_cast<int>(i) != chosen && !files[i].isDir) fs.RemoveFile("upgrades/" + files[i].name);
  if (chosen < 0) return false;
  MessageBoxRequest box;
  box.text = EngineTextOr("upgrade_window_text", "Update for this game is ready to be installed.\n\nDo you want to do it now?");
  box.caption = FillTemplate(EngineTextOr("upgrade_window_caption", "Updating %S"), {setup.appName});
  box.icon = BoxIcon::Question;
  box.buttons = BoxButtons::YesNo;
  box.buttonTexts[0] = EngineTextOr("upgrade_button_yes", "Yes");
  box.buttonTexts[1] = EngineTextOr("upgrade_button_no", "Later");
  Platform& platform = Platform::Get();
  if (platform.ShowMessageBox(box) != BoxAnswer::Yes) return false;
  std::string installer = fs.GuardWritePath(fs.WriteFolder() + "upgrades/" + files[chosen].name);
  if (installer.empty()) return false;
  chmod(installer.c_str(), 0755);
  return platform.StartProgram(installer);
}

bool RunUpgradeCheck(const UpgradeSetup& setup) {
  int build = setup.installedBuild;
  LogInfo("Upgrade check. Current version: %d", build);
  if (RunPendingUpgrade(build, setup)) {
    LogInfo("Run upgrade (%d)", build);
    return true;
  }
  if (!setup.autoupdate) {
    LogInfo("Upgrade check. Autoupdate disabled -- skipping server check.");
    return false;
  }
  if (setup.server.empty()) {
    LogInfo("Upgrade check. No upgrade_server configured -- skipping server check.");
    return false;
  }
  char query[512];
  snprintf(query, sizeof query, "/upgrade/upgrade_check/%s?platform=%s&language=%s&installed_build=%d",
           setup.projectCode.c_str(), "linux", setup.language.c_str(), setup.installedBuild);
  std::string address = setup.server + query;
  LogInfo("Upgrade check. Contacting server: %s", address.c_str());
  // The callbacks run later, in the frame loop: each keeps its own copy.
  NetRequests::Instance().Get(address, "", "", [setup](NetRequest& reply) { OnUpgradeReply(reply, setup); }, 0);
  return false;
}

}  // namespace tarn::net

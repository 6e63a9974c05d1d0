#include "diag/requirements.h"

#include "diag/text_format.h"
#include "platform/platform.h"

namespace tarn {

namespace {

bool Present(const RequirementLevel& level, RequirementKind kind) {
  switch (kind) {
    case RequirementKind::OperatingSystem: return level.osMajor != 0 || level.osMinor != 0;
    case RequirementKind::DirectX: return level.dxMajor != 0 || level.dxMinor != 0;
    case RequirementKind::SystemMemory: return level.systemMemory != 0;
    case RequirementKind::VideoMemory: return level.videoMemory != 0;
  }
  return false;
}

// Lexical order of version parts: true when `have` is below `need`.
bool Below(int haveMajor, int haveMinor, int needMajor, int needMinor) {
  return haveMajor != needMajor ? haveMajor < needMajor : haveMinor < needMinor;
}

bool Fails(const RequirementLevel& level, RequirementKind kind, const SystemInfo& info) {
  if (!Present(level, kind)) return false;
  switch (kind) {
    case RequirementKind::OperatingSystem:
      if (info.osMajor == 0 && info.osMinor == 0) return false;
      return Below(info.osMajor, info.osMinor, level.osMajor, level.osMinor);
    case RequirementKind::DirectX: {
      if (info.directXMajor == 0 && info.directXMinor == 0) return false;
      if (info.directXMajor != level.dxMajor || info.directXMinor != level.dxMinor)
        return Below(info.directXMajor, info.directXMinor, level.dxMajor, level.dxMinor);
      return static_cast<unsigned char>(info.directXLetter) < static_cast<unsigned char>(level.dxLetter);
    }
    case RequirementKind::SystemMemory: return info.physicalMemory != 0 && level.systemMemory > info.physicalMemory;
    case RequirementKind::VideoMemory: return info.displayMemory != 0 && level.videoMemory > info.displayMemory;
  }
  return false;
}

long long Megabytes(uint64_t bytes) { return static_cast<long long>(bytes / 1048576u); }

std::string KindLine(RequirementKind kind, const RequirementLevel& shown, const SystemInfo& info,
                     const EngineTexts& texts) {
  switch (kind) {
    case RequirementKind::OperatingSystem:
      return FillTemplate(texts("req_os", "- Operating system required: %S or later\n(you have: %S)"),
                          {shown.osName, info.osName});
    case RequirementKind::DirectX:
      return FillTemplate(texts("req_directx", "- DirectX version required: %d.%d%c (you have: %d.%d%c)"),
                          {shown.dxMajor, shown.dxMinor, shown.dxLetter, info.directXMajor, info.directXMinor,
                           info.directXLetter});
    case RequirementKind::SystemMemory:
      return FillTemplate(texts("req_system_memory", "- System memory required: %d MB (you have: %d MB)"),
                          {Megabytes(shown.systemMemory), Megabytes(info.physicalMemory)});
    case RequirementKind::VideoMemory:
      return FillTemplate(texts("req_video_memory", "- Video memory required: %d MB (you have: %d MB)"),
                          {Megabytes(shown.videoMemory), Megabytes(info.displayMemory)});
  }
  return std::string();
}

}  // namespace

RequirementVerdict EvaluateRequirements(const Requirements& requirements, const SystemInfo& info) {
  RequirementVerdict verdict;
  for (int k = 0; k < kRequirementKinds; ++k) {
    auto kind = static_cast<RequirementKind>(k);
    int level = Fails(requirements.error, kind, info) ? 2 : Fails(requirements.warning, kind, info) ? 1 : 0;
    verdict.kindLevel[k] = level;
    if (level > verdict.level) verdict.level = level;
  }
  if (!info.d3dAvailable) {
    verdict.d3dMissing = true;
    verdict.level = 1;
  }
  return verdict;
}

std::string RequirementMessage(const RequirementVerdict& verdict, const Requirements& requirements,
                               const SystemInfo& info, const EngineTexts& texts) {
  std::string message =
      verdict.level == 1
          ? texts("req_warning", "WARNING: Your computer is below minimum requirements for the game:")
          : texts("req_error", "ERROR: Your computer is below minimum requirements for the game:");
  message += "\n\n";
  if (verdict.d3dMissing) message += texts("req_d3d", "- Direct3D functionality not available.") + "\n\n";
  for (int k = 0; k < kRequirementKinds; ++k) {
    auto kind = static_cast<RequirementKind>(k);
    if (!verdict.Failed(kind)) continue;
    const RequirementLevel& shown = Present(requirements.warning, kind) ? requirements.warning : requirements.error;
    message += KindLine(kind, shown, info, texts) + "\n\n";
  }
  return message;
}

bool ConfirmRequirements(const RequirementVerdict& verdict, const Requirements& requirements,
                         const SystemInfo& info, const EngineTexts& texts) {
  if (verdict.level == 0) return true;
  MessageBoxRequest box;
  box.text = RequirementMessage(verdict, requirements, info, texts);
  if (verdict.level == 1) {
    box.text += texts("req_warning_continue",
                      "You can continue if you want, but please note that the game may be slow and crash "
                      "unexpectedly. Do you want to continue?");
    box.caption = texts("req_warning_caption", "WARNING");
    box.icon = BoxIcon::Warning;
    box.buttons = BoxButtons::YesNo;
    return Platform::Get().ShowMessageBox(box) == BoxAnswer::Yes;
  }
  box.caption = texts("req_error_caption", "ERROR");
  box.icon = BoxIcon::Error;
  Platform::Get().ShowMessageBox(box);
  return false;
}

}  // namespace tarn

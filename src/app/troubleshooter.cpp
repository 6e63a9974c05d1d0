#include "app/troubleshooter.h"

#include "diag/text_format.h"
#include "platform/platform.h"
#include "resources/filesystem.h"
#include "resources/strings.h"
#include "resources/write_ops.h"

namespace tarn {

namespace {

// The window's three buttons sit on the answers of a Yes / No / Cancel box,
// so that Escape and the close box leave it like its Exit button.
constexpr BoxAnswer kResetProfiles = BoxAnswer::Yes;
constexpr BoxAnswer kViewGameData = BoxAnswer::No;

MessageBoxRequest TroubleshooterWindow() {
  MessageBoxRequest window;
  window.caption = EngineTextOr("troubleshooter_window_caption", "Advanced Options");
  std::string resetButton = EngineTextOr("troubleshooter_reset_profiles_btn", "Reset profiles");
  std::string viewButton = EngineTextOr("troubleshooter_view_game_data_btn", "View game data");
  window.text = FillTemplate(EngineTextOr("troubleshooter_window_text",
                                          "These are advanced options for %S to help you troubleshoot problems. "
                                          "Please be careful when using them!"),
                             {FileSystem::Instance().AppName()}) +
                "\n\n" + resetButton + ": " +
                EngineTextOr("troubleshooter_reset_profiles_text",
                             "Deletes your progress and player profiles and lets you start over. Sometimes this can "
                             "fix game errors.") +
                "\n\n" + viewButton + ": " +
                EngineTextOr("troubleshooter_view_game_data_text",
                             "Shows contents of the folder with player profiles and progress data.");
  window.buttons = BoxButtons::YesNoCancel;
  window.buttonTexts[0] = resetButton;
  window.buttonTexts[1] = viewButton;
  window.buttonTexts[2] = EngineTextOr("troubleshooter_exit_btn", "Exit");
  window.defaultButton = 2;
  return window;
}

void ResetProfiles(const std::string& caption) {
  MessageBoxRequest question;
  question.caption = caption;
  question.text = EngineTextOr("troubleshooter_reset_profiles_question", "Do you really want to delete all player data?");
  question.icon = BoxIcon::Warning;
  question.buttons = BoxButtons::YesNo;
  // The write folder by its empty name: "/." is the root on this host, which
  // the write guard refuses.
  if (Platform::Get().ShowMessageBox(question) == BoxAnswer::Yes) ClearFolder("");
}

}  // namespace

void ShowTroubleshooter() {
  Platform& platform = Platform::Get();
  MessageBoxRequest window = TroubleshooterWindow();
  for (;;) {
    BoxAnswer answer = platform.ShowMessageBox(window);
    if (answer == kResetProfiles) ResetProfiles(window.buttonTexts[0]);
    else if (answer == kViewGameData) platform.OpenWithDesktop(FileSystem::Instance().Resolve(""));
    else return;
  }
}

}  // namespace tarn

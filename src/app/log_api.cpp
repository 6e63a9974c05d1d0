// The script's ways of telling: log, print and msg.
#include <cmath>
#include <set>

#include "app/console.h"
#include "diag/log.h"
#include "diag/text_format.h"
#include "platform/platform.h"
#include "resources/utf.h"
#include "script/api.h"
#include "script/args.h"

namespace tarn::api {

namespace {
std::set<int>& SilencedIds() {
  static std::set<int> ids;
  return ids;
}
constexpr int kMaxBoxUnits = 1023;
}  // namespace

int log(lua_State* L) {
  std::string text;
  if (args::Text(L, 1, text)) LogInfo("%s", text.c_str());
  return 0;
}

int print(lua_State* L) {
  std::string text;
  if (!args::Text(L, 1, text)) return 0;
  Console& console = Console::Instance();
  console.AddText(text, console.Executing() ? kLevelCommandOutput : kLevelScript);
  return 0;
}

int msg(lua_State* L) {
  std::string text;
  args::Text(L, 1, text);
  // The box shows what the host's converter keeps of the text.
  MessageBoxRequest box;
  box.text = Utf16ToUtf8(Utf8ToUtf16(text, kMaxBoxUnits));
  int id = 0;
  if (lua_gettop(L) >= 2) id = args::ToInteger(std::round(args::OptNumber(L, 2, 0)));
  Platform& platform = Platform::Get();
  if (id <= 0) {
    box.caption = "TARN message";
    box.buttons = BoxButtons::Ok;
    platform.ShowMessageBox(box);
    return 0;
  }
  std::set<int>& silenced = SilencedIds();
  if (silenced.count(id)) return 0;
  box.caption = Format("TARN message [%d]", id);
  box.buttons = BoxButtons::AbortRetryIgnore;
  box.defaultButton = 1;  // Retry
  BoxAnswer answer = platform.ShowMessageBox(box);
  if (answer == BoxAnswer::Ignore) silenced.insert(id);
  if (answer == BoxAnswer::Abort) {
    silenced.insert(id);
    platform.PostMessage({MsgType::Close, 0, 0, 0});
  }
  return 0;
}

}  // namespace tarn::api

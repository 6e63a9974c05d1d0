// The script's HTTP functions: requests by number, polled once per frame, and
// a page opened in the player's browser.
#include <strings.h>

#include <cmath>
#include <string>

#include "diag/log.h"
#include "net/requests.h"
#include "platform/platform.h"
#include "script/api.h"
#include "script/args.h"

namespace tarn::api {

using net::NetRequests;

namespace {

// Ids are rounded to the nearest integer.
int32_t IdAt(lua_State* L, int index) { return args::ToInteger(std::round(args::Number(L, index))); }

// Text arguments; anything else reads as empty.
std::string TextAt(lua_State* L, int index) { return args::TextOr(L, index, std::string()); }

}  // namespace

// net_get(url, [user], [password]) -> id (0 on failure)
int net_get(lua_State* L) {
  lua_pushnumber(L, NetRequests::Instance().Get(TextAt(L, 1), TextAt(L, 2), TextAt(L, 3), nullptr, 0));
  return 1;
}

// net_post_begin(url, [user], [password]) -> id (0 on failure)
int net_post_begin(lua_State* L) {
  lua_pushnumber(L, NetRequests::Instance().PostBegin(TextAt(L, 1), TextAt(L, 2), TextAt(L, 3)));
  return 1;
}

// net_post_value(id, name, value) -> added
int net_post_value(lua_State* L) {
  lua_pushboolean(L, NetRequests::Instance().PostValue(IdAt(L, 1), TextAt(L, 2), TextAt(L, 3)));
  return 1;
}

// net_post_end(id, [keep]) -> started
int net_post_end(lua_State* L) {
  lua_pushboolean(L, NetRequests::Instance().PostEnd(IdAt(L, 1), args::OptFlag(L, 2, true)));
  return 1;
}

// net_status(id) -> "idle", "busy", "ok" or "error"
int net_status(lua_State* L) {
  static const char* const kNames[] = {"idle", "busy", "ok", "error"};
  lua_pushstring(L, kNames[NetRequests::Instance().Status(IdAt(L, 1))]);
  return 1;
}

// net_output(id) -> the answer so far, the error text, or nil
int net_output(lua_State* L) {
  std::string out;
  if (NetRequests::Instance().Output(IdAt(L, 1), out))
    lua_pushlstring(L, out.data(), out.size());
  else
    lua_pushnil(L);
  return 1;
}

// net_release(id) -> released
int net_release(lua_State* L) {
  lua_pushboolean(L, NetRequests::Instance().Release(IdAt(L, 1)));
  return 1;
}

// net_open_web(url): the page in the player's browser; the window is
// minimised first.
int net_open_web(lua_State* L) {
  std::string url = TextAt(L, 1);
  if (url.empty()) {
    LogError("URL name is empty!");
    args::RaiseScriptError(L);
  }
  if (strncasecmp(url.c_str(), "http://", 7) != 0 && strncasecmp(url.c_str(), "https://", 8) != 0) {
    LogWarning("net_open_web - only http and https addresses are opened: %s", url.c_str());
    return 0;
  }
  Platform& platform = Platform::Get();
  platform.MinimizeWindow();
  platform.OpenWithDesktop(url);
  return 0;
}

}  // namespace tarn::api

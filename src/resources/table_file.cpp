#include "resources/table_file.h"

#include <cctype>
#include <string>
#include <vector>

#include "diag/error.h"
#include "resources/filesystem.h"
#include "resources/parcon.h"

namespace tarn {

namespace {

constexpr int kMaxLineChars = 16383;
// Each open block keeps its table on the Lua stack; no real table file nests
// this deep, and the bound keeps a hostile one far below Lua's stack limit.
constexpr size_t kMaxTableDepth = 200;
// Stack slots one line needs beyond the open tables: key, value or child table
// and its copy.
constexpr int kSlotsPerLine = 3;

bool IsKeyChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_'; }
bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

struct Block {
  int indentation;
  int tableIndex;  // absolute stack index of the block's table
  int nextIndex;   // next array index for entries without a key
};

}  // namespace

bool PushTableFile(lua_State* L, const std::string& name) {
  lua_newtable(L);
  FileSystem& fs = FileSystem::Instance();
  InputStream* stream = fs.OpenRead(name, nullptr, true);
  if (!stream) return true;
  int base = lua_gettop(L);
  std::vector<Block> blocks{{-1, base, 1}};
  std::vector<char> buffer(kMaxLineChars + 1);
  int lineNumber = 0;
  bool ok = true;
  while (stream->good()) {
    stream->getline(buffer.data(), kMaxLineChars + 1);
    if (stream->gcount() == 0) break;
    ++lineNumber;
    const char* line = buffer.data();
    int indentation = 0;
    while (line[indentation] && IsSpace(line[indentation])) ++indentation;
    while (blocks.size() > 1 && indentation <= blocks.back().indentation) {
      blocks.pop_back();
      lua_settop(L, blocks.back().tableIndex);
    }
    const char* p = line + indentation;
    std::string key;
    while (IsKeyChar(*p)) key += *p++;
    while (*p && IsSpace(*p)) ++p;
    if (*p == 0 || *p == '#') continue;
    // A malformed line is reported with its text; a line that cannot be held
    // with the reason.
    std::string problem;
    if (*p != ':' && *p != '=') problem = line;
    else if (*p == ':' && blocks.size() > kMaxTableDepth)
      problem = "tables nested deeper than " + std::to_string(kMaxTableDepth) + " levels";
    else if (!lua_checkstack(L, kSlotsPerLine))
      problem = "out of script stack space";
    if (!problem.empty()) {
      ErrorProcessingFileLine(name, lineNumber, problem);
      ok = false;
      break;
    }
    Block& block = blocks.back();
    if (key.empty()) lua_pushinteger(L, block.nextIndex++);
    else lua_pushstring(L, key.c_str());
    if (*p == ':') {
      lua_newtable(L);
      lua_pushvalue(L, -1);
      lua_insert(L, -3);  // child table, key, child table
      lua_settable(L, block.tableIndex);
      blocks.push_back({indentation, lua_gettop(L), 1});  // the child stays on the stack
      continue;
    }
    ++p;
    while (*p && IsSpace(*p)) ++p;
    if (*p == '"') {
      std::string value;
      for (++p; *p && *p != '"'; ++p) {
        if (p[0] == '\\' && p[1] == '"') {
          value += '"';
          ++p;
        } else {
          value += *p;
        }
      }
      lua_pushlstring(L, value.data(), value.size());
    } else {
      std::string word;
      while (std::isalnum(static_cast<unsigned char>(*p)) || *p == '.') word += *p++;
      std::string lower = word;
      for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (lower == "true" || lower == "false") lua_pushboolean(L, lower == "true");
      else lua_pushnumber(L, ParconToFloat(word.c_str()));
    }
    lua_settable(L, blocks.back().tableIndex);
  }
  fs.CloseRead(stream);
  lua_settop(L, base);
  if (!ok) lua_pop(L, 1);
  return ok;
}

}  // namespace tarn

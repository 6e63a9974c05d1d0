-- The script's file functions: saving and loading, patterns, folders,
-- renaming, table files, string tables, and the sandbox in developer mode.
local function show(label, value) log(label .. ": " .. tostring(value)) end
function boot()
  file_save("save.txt", "ab\0cd")
  show("load", file_load("save.txt"))
  file_save("packed.sav", string.rep("hello ", 50), true)
  show("packed", file_load("packed.sav") == string.rep("hello ", 50))
  file_save("empty.txt", "", true)
  show("empty", "[" .. file_load("empty.txt") .. "]")
  show("exists sav", file_exists("*.txt"))
  show("exists none", file_exists("*.nothing"))
  show("exists empty", file_exists(""))
  show("exists no kinds", file_exists("save.txt", false, false))
  local found = file_search("*a*.txt", true, false)
  local names = {}
  for name, size in pairs(found) do names[#names + 1] = name .. "=" .. size end
  table.sort(names)
  show("search", table.concat(names, ","))
  file_save("dir/inner/a.txt", "1")
  show("remove dir", file_remove_directory("dir"))
  show("remove dir recursive", file_remove_directory("dir", true))
  show("dir gone", file_exists("dir"))
  file_save("b.txt", "b")
  show("rename onto existing", file_rename("b.txt", "save.txt"))
  show("rename", file_rename("b.txt", "c.txt"))
  show("removed", file_remove("c.*"))
  local t = file_load_table("table.txt")
  show("table", string.format("%s %s %s %s %s", type(t.level), t.level, tostring(t.sound), t.items[1], t.items[2]))
  show("after blank", t.after)
  strings = {}
  file_load_strings("strings", "strings_" .. tarn.language .. ".txt")
  show("strings", strings.hello .. "|" .. strings.multi:gsub("\n", "/") .. "|" .. strings.escaped:gsub("\n", "/"))
  show("create relative", file_create_directory("relative/folder"))
  show("escape", file_save("../escape.txt", "x"))
end
function init() end
function update(dt) end
function render() end

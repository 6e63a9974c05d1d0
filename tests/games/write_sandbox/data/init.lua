-- Writes that try to leave the write folder by letter case, through a link
-- planted inside it, or through "link/..": each is refused or stays inside.
local function show(label, value) log(label .. ": " .. tostring(value)) end
function boot()
  local w = file_load("where.txt")
  show("upper", file_create_directory((w:gsub("Sandbox/$", "SANDBOX/")) .. "x"))
  show("lower", file_create_directory((w:gsub("Sandbox/$", "sandbox/")) .. "x"))
  show("through link", file_create_directory(w .. "link/made"))
  show("link dot dot", file_create_directory(w .. "link/../dotdot"))
  show("nested", file_create_directory(w .. "one/two/three"))
  show("again", file_create_directory(w .. "one/two/three"))
  show("save through link", (pcall(file_save, "link/saved.txt", "x")))
  show("remove through link", file_remove("link/victim.txt"))
  show("rename through link", file_rename("link/victim.txt", "stolen.txt"))
  show("remove folder through link", file_remove_directory("link/dir", true))
  show("remove matching", file_remove("file*"))
end
function init() end
function update(dt) end
function render() end

-- Runs from data.pak; data_mod.pak overrides one file and adds a script.
log("base init.lua")
file_load_lua("extra.lua")
function boot()
  log("message: " .. file_load("message.txt"))
  file_save("message.txt", "saved")  -- the write folder now holds the name too
  local found = file_search("*.txt", true, false)
  local names = {}
  for name in pairs(found) do names[#names + 1] = name end
  table.sort(names)
  log("search: " .. table.concat(names, ","))
  log("exists pak: " .. tostring(file_exists("message.txt")))
  log("now: " .. file_load("message.txt"))
end
function init() end
function update(dt) end
function render() end

-- Runs from a version-1 archive: file_search gives each file's real size
-- before anything is opened, and the contents read back.
function boot()
  local found = file_search("*.txt", true, false)
  local names = {}
  for name, size in pairs(found) do names[#names + 1] = name .. "=" .. size end
  table.sort(names)
  log("search: " .. table.concat(names, ","))
  log("same: " .. tostring(file_load("repeated.txt") == string.rep("compress me ", 200)))
end
function init() end
function update(dt) end
function render() end

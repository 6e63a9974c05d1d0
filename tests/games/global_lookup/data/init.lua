-- The variant's name says what goes wrong in the second update:
--   "Global Lookup"      the globals get an __index that raises
--   "Mouse Table"        the mouse table gets a __newindex that raises
local frames = 0
local function refuse(_, name) error("no global " .. tostring(name), 0) end
function boot() end
function init() end
function update(dt)
  frames = frames + 1
  log("update " .. frames)
  if frames == 2 then
    if tarn.app_name == "Mouse Table" then
      mouse = setmetatable({}, {__newindex = function() error("mouse is read-only", 0) end})
    else
      setmetatable(_G, {__index = refuse})
    end
  end
end
function render() log("render " .. frames) end

local frames = 0
local keys = {"shift", "lshift", "rshift", "ctrl", "lctrl", "rctrl", "alt", "lalt", "ralt"}
function boot() end
function init() end
function update(dt)
  frames = frames + 1
  local down = {}
  for i, name in ipairs(keys) do down[i] = kbd_down(name) and "1" or "0" end
  log("u" .. frames .. " chars=" .. tostring(kbd_chars()) .. " down=" .. table.concat(down))
end
function render() end

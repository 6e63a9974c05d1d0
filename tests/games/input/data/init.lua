-- Logs the script's view of keyboard and mouse every frame, so the check can
-- follow key timing, typed characters and mouse events pass by pass.
local function flag(b) return b and "1" or "0" end
function boot() end
function init() end
function update(dt)
  local t = timer_time()
  if t > 0.705 and t < 0.715 then input_enable(false) end
  if t > 0.735 and t < 0.745 then input_enable(true) end
  local m = mouse
  log(string.format("t=%.2f a=%s%s%s A=%s chars=%s m=%d,%d click=%s down=%s up=%s wheel=%s%s over=%s",
    t, flag(kbd_struck("a")), flag(kbd_repeat("a")), flag(kbd_down("a")), flag(kbd_struck("A")),
    tostring(kbd_chars()), m.x, m.y, flag(m.left_click), flag(m.left_down), flag(m.left_up),
    flag(m.wheel_up), flag(m.wheel_down), flag(m.over_window)))
end
function render() end

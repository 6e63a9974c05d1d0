-- Resolution chosen in boot, a later change waiting for the next window, the
-- switch to full screen during the game (Alt+Enter and gfx_full_screen).
local frames = 0
function boot()
  gfx_resolution(1024, 768)
  log("boot mode " .. table.concat({gfx_current_mode()}, " ", 1, 2))
end
function init()
  local w, h, full = gfx_current_mode()
  log(string.format("init mode %dx%d %s", w, h, tostring(full)))
end
function on_recreate()
  local w, h, full = gfx_current_mode()
  log(string.format("recreated %dx%d %s", w, h, tostring(full)))
end
function update(dt)
  frames = frames + 1
  log(string.format("update %d dt %.3f", frames, dt))
  if frames == 2 then
    gfx_resolution(640, 480)
    local w, h = gfx_current_mode()
    log(string.format("still %dx%d", w, h))
    gfx_full_screen(true)
    log("full now " .. tostring(gfx_full_screen()))
  end
end
function render() end

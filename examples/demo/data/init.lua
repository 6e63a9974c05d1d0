-- The Tarn Engine demo. It grows with the engine: boxes that follow the
-- mouse and the keyboard, every blending preset, text in a baked font, the
-- frame rate on screen and in the log.
local frames = 0
local elapsed = 0
local lastReport = 0
local player = {x = 400, y = 300}
local modes = {"alpha", "add", "sum", "max", "none"}

function boot()
  log("Demo: boot on " .. tarn.platform .. ", engine " .. tarn.build_version)
end

function init()
  log("Demo: init, language " .. tarn.language .. ", developer mode " .. tostring(dev_mode))
  gfx_load_font("fonts/*.xml")
end

function update(dt)
  frames = frames + 1
  elapsed = elapsed + dt
  local speed = 240 * dt
  if kbd_down("left") then player.x = player.x - speed end
  if kbd_down("right") then player.x = player.x + speed end
  if kbd_down("up") then player.y = player.y - speed end
  if kbd_down("down") then player.y = player.y + speed end
  if mouse.left_down then player.x, player.y = mouse.x, mouse.y end
  if kbd_struck("esc") then sys_exit() end
  if elapsed - lastReport >= 2 then
    lastReport = elapsed
    log(string.format("Demo: %d frames in %.1f s, about %d fps", frames, elapsed, timer_fps(true)))
  end
end

function render()
  gfx_blending("none")
  gfx_render_box(0, 0, 800, 600, 1, 0, "18202c")
  for i = 0, 15 do
    local t = elapsed + i * 0.4
    gfx_blending(modes[i % #modes + 1])
    gfx_render_box(400 + math.cos(t) * 250, 300 + math.sin(t * 1.3) * 200, 80, 80, 0.6, t * 40,
      gfx_color(0.5 + 0.5 * math.sin(t), 0.5 + 0.5 * math.cos(t * 0.7), 0.8), 40, 40)
  end
  gfx_blending("alpha")
  gfx_render_box(player.x, player.y, 40, 40, 1, 0, "ffd040", 20, 20)
  gfx_render_text("dejavu16", 400, 20, "Tarn Engine: move the yellow box with the arrow keys or the mouse, Esc ends",
    "center", 500, 0, 1, "e0e8f0")
  gfx_render_text(nil, 790, 580, string.format("%d fps", timer_fps(true)), "right bottom", 0, 0, 0.7, "a0ffa0")
end

function destroy()
  log(string.format("Demo: done after %d frames", frames))
end

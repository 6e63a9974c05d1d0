-- An 800 x 600 game in a full screen of another shape: the image keeps its
-- aspect ratio with black bars, and the mouse maps into game pixels.
function boot() end
function init()
  local w, h, full = gfx_current_mode()
  log(string.format("mode %dx%d %s", w, h, tostring(full)))
end
function update(dt)
  log(string.format("mouse %d,%d", mouse.x, mouse.y))
end
function render()
  gfx_render_box(0, 0, 800, 600, 1, 0, "e0e0e0")
  gfx_render_box(0, 0, 100, 100, 1, 0, "ff0000")
  gfx_render_box(700, 500, 100, 100, 1, 0, "0000ff")
end

-- Screenshots of a fixed scene: numbered default names, a source rectangle,
-- a resize, a texture dump, the F12 key (scripted), a bad rectangle and a
-- path outside the write folder.
local frame = 0
local bitmap
function boot() gfx_resolution(160, 120) end
function init() bitmap = gfx_load_bitmap("gfx/ring.png") end
function update(dt)
  frame = frame + 1
  if frame == 3 then
    gfx_screenshot()
    gfx_screenshot()
    gfx_screenshot("shots/part.png", 0, 0, 10, 20, 90, 70)
    gfx_screenshot("shots/small.png", 80, 60)
    gfx_screenshot("shots/whole.tga")
    gfx_save_bitmap(bitmap)
    gfx_save_bitmap(bitmap, "shots/ring.png")
    gfx_save_bitmap(nil)
    -- Last: a bad rectangle is an error (the game stops in the error view),
    -- a path outside the write folder a fatal one.
    gfx_screenshot("shots/bad.bmp", 0, 0, 100, 100, 50, 50)
    gfx_screenshot("../outside.png")
  end
end
function render()
  gfx_blending("none")
  gfx_render_box(0, 0, 160, 120, 1, 0, "203040")
  gfx_render_box(20, 30, 60, 40, 1, 0, "ff8000")
  gfx_blending("alpha")
  gfx_render_sprite(bitmap, "main", 110, 60, 0.8)
end

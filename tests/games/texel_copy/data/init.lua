-- A photograph-like image drawn unscaled at a whole pixel with wrapping, at
-- another place every frame: each frame shows its texels. The position of
-- each drawing is logged for the check.
local W, H, FILE = 320, 240, "photo.png"
local photo
local pass = 0
function boot() gfx_resolution(W, H) end
function init() photo = gfx_load_bitmap(FILE) end
function update(dt) end
function render()
  pass = pass + 1
  gfx_blending("none")
  gfx_render_box(0, 0, W, H, 1, 0, "000000")
  gfx_blending("alpha")
  local w, h, px, py = gfx_sprite_params(photo, "main")
  local x, y = (37 * pass) % (W - w), (23 * pass) % (H - h)
  log(string.format("render %d at %d %d", pass, x, y))
  gfx_render_sprite(photo, "main", x + px, y + py)
end

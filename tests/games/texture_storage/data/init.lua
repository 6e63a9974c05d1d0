-- An opaque gradient and a soft-edged disc drawn texel for texel, so the
-- image shows how the textures were stored (full, 16-bit or compressed).
local gradient, ring
function boot() gfx_resolution(160, 80) end
function init()
  gradient = gfx_load_bitmap("gradient.tga")
  ring = gfx_load_bitmap("ring.png")
end
local logged = false
function update(dt) end
function render()
  -- The statistics in "tarn" are filled in once a frame.
  if not logged and tarn.allocated_textures_size then
    log(string.format("texture bytes %d", tarn.allocated_textures_size * 1048576 + 0.5))
    logged = true
  end
  gfx_blending("none")
  gfx_render_box(0, 0, 160, 80, 1, 0, "808080")
  gfx_blending("alpha")
  gfx_render_sprite(gradient, "main", 40, 40)
  gfx_render_sprite(ring, "main", 120, 40)
end

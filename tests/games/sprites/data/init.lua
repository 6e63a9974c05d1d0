-- Sprites from a sheet with pivots, rotation, mirroring, the four crop
-- examples, scrolling with wrap, a padded image, an "_alpha" companion, vertex
-- tables, and one record shared by two loads of the same key.
local sheet, sheet2, pad, hero
function boot() gfx_resolution(400, 300) end
function init()
  sheet = gfx_load_bitmap("gfx/sheet.png")
  sheet2 = gfx_load_bitmap("GFX\\Sheet")
  pad = gfx_load_bitmap("gfx/pad.png")
  hero = gfx_load_bitmap("gfx/hero.png")
  log("missing: " .. tostring(gfx_load_bitmap("gfx/none.png", false)))
  log("a: " .. table.concat({gfx_sprite_params(sheet, "a")}, " "))
  log("pad main: " .. table.concat({gfx_sprite_params(pad, "main")}, " "))
  gfx_release_bitmap(sheet2)
end
function update(dt) end
function render()
  gfx_blending("none")
  gfx_render_box(0, 0, 400, 300, 1, 0, "202020")
  gfx_blending("alpha")
  gfx_render_sprite(sheet, "a", 40, 20)
  gfx_render_sprite(sheet, "a", 120, 40, 1, 90)
  gfx_render_sprite(sheet, "a", 200, 20, 1, 0, -1, 1)
  gfx_render_sprite(sheet, "b", 300, 40, 0.5, 0, 1, 1, "ff8080")
  gfx_crop_sprite(8, 4, 16, 8)
  gfx_render_sprite(sheet, "a", 40, 90)
  gfx_crop_sprite(8, 0, -8, 0)
  gfx_render_sprite(sheet, "a", 120, 90)
  gfx_crop_sprite(10, 0, 0, 0, true)
  gfx_render_sprite(sheet, "a", 200, 90)
  gfx_render_sprite(sheet, "a", 280, 90)
  gfx_crop_sprite()
  gfx_crop_sprite(100, 0, 0, 0)
  log("cropped away: " .. table.concat({gfx_sprite_params(sheet, "a")}, " "))
  gfx_render_sprite(sheet, "a", 360, 90)
  gfx_crop_sprite()
  gfx_render_sprite(sheet, "b", 40, 160, 1, 0, 1, 1, nil, 0.25, 0.5)
  gfx_render_sprite(pad, "main", 150, 160)
  gfx_render_sprite(hero, "main", 270, 160)
  gfx_render_sprite_by_vertex_table(sheet, {{x = 320, y = 200}, {x = 380, y = 200}, {x = 380, y = 260}, {x = 320, y = 260}})
  gfx_render_sprite_by_vertex_table(sheet, {
    {x = 20, y = 230, u = 0, v = 0, r = 1, g = 1, b = 1, alpha = 1},
    {x = 100, y = 220, u = 0.5, v = 0, r = 1, g = 1, b = 1, alpha = 1},
    {x = 110, y = 290, u = 0.5, v = 1, r = 1, g = 0.5, b = 0.5, alpha = 1},
    {x = 10, y = 280, u = 0, v = 1, r = 0.5, g = 0.5, b = 1, alpha = 1}})
end
function destroy()
  log("textures " .. tarn.allocated_textures_count)
end

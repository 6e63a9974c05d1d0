-- Render targets drawn into and drawn as bitmaps, in the default stretch mode
-- (the game drawn into the main render target): a target cleared to a colour,
-- one begun twice, culling that survives a switch, a target drawn during
-- update, the scene lost by a switch during render, going back with no target,
-- forged and released handles, and the static render target.
local frame = 0
local t, u, w, z, gone
local shared = {}
local made = {}

-- One console line of the values, separated by spaces.
local function say(...)
  local parts = {}
  for i = 1, select("#", ...) do parts[i] = tostring((select(i, ...))) end
  print(table.concat(parts, " "))
end

local function create(width, height, alpha)
  local bitmap = gfx_create_bitmap(width, height, alpha)
  made[#made + 1] = bitmap
  return bitmap
end

function boot() gfx_resolution(160, 120) end

function init()
  t = create(40, 30)
  u = create(20, 20)
  w = create(20, 20)
  z = create(24, 16, true)
  gone = create(8, 8)
  gfx_release_bitmap(gone)
  say("nil outside", select("#", gfx_render_target(nil)), select("#", gfx_render_target()))
  say("forged", gfx_render_target(12345), gfx_render_target("t"), gfx_render_target(true))
  say("released", gfx_render_target(gone, "ffffff", 1))
end

-- The static render target: gfx_create_bitmap at the game resolution.
local function static_checks()
  local a = create(160, 120)
  local b = create(160, 120, true)
  say("same handle", a == b)
  gfx_release_bitmap(a)
  say("begin after release", gfx_render_target(a, "00ff00", 1))
  say("back", select("#", gfx_render_target()))
  say("again", create(160, 120) == a)
  local d = create(40, 30)
  say("other size", d ~= nil and d ~= a)
  shared.a = a
  -- The next window has another resolution.
  gfx_resolution(200, 150)
  gfx_full_screen(true)
end

function on_recreate()
  local a = shared.a
  say("recreated", create(200, 150) == a, create(160, 120) == a)
  say("recreated begin", gfx_render_target(a, "0000ff", 1))
  gfx_render_target()
end

function update(dt)
  frame = frame + 1
  -- Outside the frame: drawing into a target leaves the scene alone.
  say("update begin", gfx_render_target(z, "00ffff", 1))
  gfx_render_box(4, 4, 8, 8, 1, 0, "000000")
  gfx_render_target()
  if frame == 5 then static_checks() end
end

function render()
  gfx_cull("NONE")
  gfx_blending("none")
  -- Drawn before the first switch: lost, as the main render target is cleared
  -- when drawing comes back to it; the strip at the bottom stays black.
  gfx_render_box(0, 0, 160, 120, 1, 0, "ffffff")
  -- Red with a green mark at its top-left corner and a blue one at its
  -- bottom-right corner.
  gfx_render_target(t, "ff0000", 1)
  gfx_render_box(2, 2, 10, 6, 1, 0, "00ff00")
  gfx_render_box(32, 24, 6, 4, 1, 0, "0000ff")
  gfx_render_target()
  -- Begun twice: the second begin clears the yellow away.
  gfx_render_target(u, "0000ff", 1)
  gfx_render_box(0, 0, 20, 20, 1, 0, "ffff00")
  gfx_render_target(u, "00ff00", 1)
  gfx_render_box(0, 0, 5, 5, 1, 0, "ff00ff")
  gfx_render_target()
  -- Culling set before a switch stays on: the black box (clockwise, as every
  -- box is) is culled, the target stays white.
  gfx_cull("FRONT")
  gfx_render_target(w, "ffffff", 1)
  gfx_render_box(0, 0, 20, 20, 1, 0, "000000")
  gfx_cull("NONE")
  gfx_render_target()
  -- The scene.
  gfx_render_box(0, 0, 160, 104, 1, 0, "203040")
  gfx_render_target()  -- already drawing into the frame's target: nothing changes
  gfx_render_sprite(t, "main", 30, 25)
  gfx_render_sprite(t, "main", 110, 40, 1, 0, 2, 2)
  gfx_render_sprite(u, "main", 20, 90)
  gfx_render_sprite(w, "main", 50, 90)
  gfx_blending("alpha")
  gfx_render_sprite(z, "main", 90, 90, 0.5)
end

function destroy()
  for _, bitmap in ipairs(made) do gfx_release_bitmap(bitmap) end
end

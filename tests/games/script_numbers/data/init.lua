-- Script numbers that do not fit the engine's integers (1e12, -5, NaN,
-- 2^31 - 1) and numeric strings where optional numbers are read. Every case
-- is logged; the game goes on.
local nan, huge = 0 / 0, 2 ^ 31 - 1
local tile, frames, renders = nil, 0, 0

local function list(values) return table.concat(values, " ") end

function boot()
  -- Refused requests leave the last good one in force.
  gfx_resolution(320, 240)
  for _, size in ipairs({{-640, 480}, {320, 0}, {nan, 240}, {1e12, 240}, {320, huge}, {-1e12, -5}}) do
    gfx_resolution(size[1], size[2])
  end
end

function init()
  for _, case in ipairs({{"1e6", 1e6, 1e6}, {"huge", huge, 1}, {"1e12", 1e12, 8}, {"-1e12", 8, -1e12},
                         {"-5", -5, 8}, {"nan", nan, 8}, {"strings", "64", "32"}}) do
    local bitmap = gfx_create_bitmap(case[2], case[3])
    log("create " .. case[1] .. ": " .. (bitmap and list({gfx_sprite_params(bitmap, "main")}) or "nil"))
    if bitmap then gfx_release_bitmap(bitmap) end
  end

  tile = gfx_load_bitmap("gfx/tile.png")
  for _, case in ipairs({{"numbers", 8, 4, 16, 8}, {"strings", "8", "4", "16", "8"}, {"1e12", 1e12, 0, 0, 0},
                         {"-1e12", -1e12, 0, 0, 0}, {"nan", nan, nan, nan, nan}, {"wide", 0, 0, -1e12, 1e12},
                         {"huge", huge, huge, -huge - 1, -huge - 1}}) do
    gfx_crop_sprite(case[2], case[3], case[4], case[5])
    log("crop " .. case[1] .. ": " .. list({gfx_sprite_params(tile, "main")}))
    gfx_crop_sprite()
  end

  log("color strings: " .. gfx_color("0.5", "0", "1"))
  log("color extremes: " .. gfx_color(nan, 1e12, -1e12))
  log("planes strings: " .. list({gfx_perspective_planes("500", "1000")}))
  log("planes nan: " .. list({gfx_perspective_planes(nan, 200)}))
  gfx_perspective_planes(200, 100000)

  for _, id in ipairs({"5", "2.5", 1e12, nan, -1e12}) do msg("id", id) end
end

function destroy() gfx_release_bitmap(tile) end

function update(dt)
  frames = frames + 1
  if frames == 3 then log("still running") end
end

-- Odd renders give optional numbers as numbers, even ones as numeric strings:
-- both must draw the same image.
function render()
  renders = renders + 1
  local strings = renders % 2 == 0
  local function n(value) return strings and tostring(value) or value end
  gfx_render_box(10, 10, 100, 50, n(0.5), 0, "ff0000")
  gfx_crop_sprite(n(8), n(4), n(16), n(8))
  gfx_render_sprite(tile, "main", 160, 40, n(0.5), 0, 1, 1, "ffffff", n(0.25), 0)
  gfx_render_sprite(tile, "main", 220, 40, n(0.5), 0, 1, 1, gfx_color(n(0.5), n(1), n(0)))
end

-- Collision masks: sizes, point tests with placement, channels, sharing, and
-- the failure paths. What to do comes from scenario.txt, which the check
-- writes: "points", "errors" or "nil".

local function test(...) return tostring(gfx_collision_mask_test(...)) end

-- Square i of the top row of a checker mask: 1 when solid.
local function row(mask)
  local bits = {}
  for i = 0, 3 do bits[#bits + 1] = gfx_collision_mask_test(8 * i + 4, 4, mask, 0, 0) and 1 or 0 end
  return table.concat(bits, " ")
end

local function points()
  local ring = gfx_collision_mask_load("gfx/ring.png", -1, -1, "alpha")
  log("ring size: " .. table.concat({gfx_collision_mask_size(ring)}, " "))
  log("centre: " .. test(100, 100, ring, 100, 100))
  log("corner: " .. test(93, 93, ring, 100, 100))
  log("beside: " .. test(110, 100, ring, 100, 100))
  log("beside scaled: " .. test(110, 100, ring, 100, 100, 0, 4, 4))
  log("numeric strings: " .. test("110", "100", ring, "100", "100", "0", "4", "4"))
  log("not a number: " .. test(0 / 0, 100, ring, 100, 100))
  log("infinite: " .. test(1 / 0, 100, ring, 100, 100, 0, 1 / 0, 1))
  log("scale 0: " .. test(100, 100, ring, 100, 100, 0, 0, 0))
  -- The pivot at the top-left corner: the solid middle lies right of and below (mx, my).
  local corner = gfx_collision_mask_load("GFX\\Ring.PNG", 0, 0)
  log("pivot 0: " .. test(108, 108, corner, 100, 100) .. " " .. test(100, 100, corner, 100, 100))
  log("turned: " .. test(92, 108, corner, 100, 100, 90) .. " " .. test(108, 92, corner, 100, 100, -90))
  gfx_collision_mask_release(corner)
  log("still held: " .. test(100, 100, ring, 100, 100))

  for _, channel in ipairs({"alpha", "blue", "green", "none", "Blue"}) do
    local name = channel == "none" and nil or channel
    local mask = gfx_collision_mask_load("gfx/checker_" .. channel .. ".png", 0, 0, name)
    log("channel " .. channel .. ": " .. row(mask))
    gfx_collision_mask_release(mask)
  end
  local first = gfx_collision_mask_load("gfx/checker_none.png", 0, 0)
  local second = gfx_collision_mask_load("gfx/checker_none.png", 0, 0, "blue")
  log("second channel: " .. row(second))
  gfx_collision_mask_release(first)
  gfx_collision_mask_release(second)
  -- ring stays loaded: the shutdown reports it.
end

local function errors()
  local ring = gfx_collision_mask_load("gfx/ring.png")
  local bitmap = gfx_load_bitmap("gfx/ring.png")
  log("bitmap as mask: " .. tostring(pcall(gfx_collision_mask_size, bitmap)))
  local gone = gfx_collision_mask_load("gfx/ring.png")
  gfx_collision_mask_release(gone)
  log("released mask: " .. tostring(pcall(gfx_collision_mask_test, 0, 0, gone, 0, 0)))
  log("released twice: " .. tostring(pcall(gfx_collision_mask_release, gone)))
  log("a number: " .. tostring(pcall(gfx_collision_mask_size, 42)))
  log("missing file: " .. tostring(pcall(gfx_collision_mask_load, "gfx/none.png")))
  log("missing again: " .. tostring(pcall(gfx_collision_mask_load, "gfx/none.png")))
  log("ring after errors: " .. table.concat({gfx_collision_mask_size(ring)}, " "))
  gfx_release_bitmap(bitmap)
end

function boot() end
function init()
  local scenario = (file_load("scenario.txt") or ""):gsub("%s", "")
  if scenario == "points" then points()
  elseif scenario == "errors" then errors()
  elseif scenario == "nil" then
    local ring = gfx_collision_mask_load("gfx/ring.png")
    log("before nil")
    gfx_collision_mask_test(0, 0, nil, 0, 0)
    log("after nil")
  end
end
function update(dt) end
function render() end
function destroy() log("destroy") end

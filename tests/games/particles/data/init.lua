-- Particle effects drawn for a fixed number of frames with a fixed step, so
-- the picture repeats: an added fountain, a ring of sparks from a shape image
-- and subtracted discs. What to do comes from scenario.txt: "scene" or
-- "errors".
local scenario = file_load("scenario.txt") or "scene"
local fountain, ring, dark
local frame = 0
local step = 0.05

local function report(name, ok) log(name .. ": " .. tostring(ok)) end

function boot() gfx_resolution(160, 120) end

local function scene()
  fountain = gfx_particle_start("fx/fountain.eff", 50, 100)
  ring = gfx_particle_start("fx/ring.gen", 0, 0)  -- a generator file alone is no effect
  log("generator file alone: " .. tostring(ring))
  dark = gfx_particle_start("fx/dark.eff", 120, 50)
  log("started: " .. type(fountain) .. " " .. type(dark))
end

local function errors()
  local effect = gfx_particle_start("fx/dark.eff", 10, 10)
  local bitmap = gfx_create_bitmap(4, 4)  -- made before the first error stops such calls
  gfx_particle_release(effect)
  for _, call in ipairs({
    {"released", function() return gfx_particle_update(effect, 0.1) end},
    {"nil", function() gfx_particle_render(nil) end},
    {"bitmap", function() gfx_particle_set_pos(bitmap, 1, 2) end},
    {"number", function() gfx_particle_stop(7) end},
    {"missing", function() return gfx_particle_start("fx/missing.eff", 0, 0) end},
  }) do
    report(call[1], pcall(call[2]))
  end
  gfx_release_bitmap(bitmap)
end

function init()
  if scenario:match("errors") then errors() else scene() end
end

function update()
  if not fountain then return end
  frame = frame + 1
  if frame == 20 then gfx_particle_set_angle(fountain, 45) end
  local running = gfx_particle_update(fountain, step)
  gfx_particle_update(dark, step)
  if frame == 30 then
    log("fountain running: " .. tostring(running))
    gfx_particle_stop(fountain)
    gfx_particle_stop(dark, true)
    log("dark after kill: " .. tostring(gfx_particle_update(dark, step)))
  end
  if frame == 31 then log("fountain still running: " .. tostring(running)) end
  if frame == 90 then log("fountain at the end: " .. tostring(running)) end
end

function render()
  gfx_blending("none")
  gfx_render_box(0, 0, 160, 120, 1, 0, "604830")
  gfx_blending("alpha")
  if fountain then
    gfx_particle_render(fountain)
    gfx_particle_render(dark)
  end
end

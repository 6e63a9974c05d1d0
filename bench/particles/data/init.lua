-- Ten effects at fixed places, each keeping about PER live particles: 16 x 16
-- soft discs added together, 40-120 px/s in every direction, gravity 30-60,
-- radial +-20, tangential +-30, spinning, scaling and changing colour over a
-- life of 1.5 to 2.5 s. Updated with a fixed step and drawn every frame; the
-- effects are run to their steady state before the first frame.
file_load_lua("params.lua")
file_load_lua("frames.lua")
local effects = {}
local step = 1 / 60
function boot() gfx_resolution(800, 600) end
function init()
  for i = 0, 9 do
    local life = 1.5 + i / 9
    local text = string.format([[
(generator (texture "disc.png") (blending "add")
  (particle_limit %d) (flow [0 %f])
  (starting_direction 0 0 360) (starting_velocity 0 40 120)
  (gravity 30 60) (radial_acceleration -20 20) (tangential_acceleration -30 30)
  (starting_rotation 0 0 360) (particle_spin [0 90] [%f -90])
  (particle_scale [0 0.6] [%f 1.4])
  (particle_color [0 1 0.7 0.2] [%f 0.2 0.5 1])
  (particle_alpha [0 1] [%f 0]))]], math.floor(PER * 1.1), PER / life, life, life, life, life)
    file_save("fx" .. i .. ".eff", text)
    local effect = gfx_particle_start("fx" .. i .. ".eff", 80 + (i % 5) * 160, 150 + math.floor(i / 5) * 300)
    for _ = 1, 180 do gfx_particle_update(effect, step) end
    effects[#effects + 1] = effect
  end
end
function update()
  for _, effect in ipairs(effects) do gfx_particle_update(effect, step) end
end
function render()
  count_frame()
  gfx_blending("none")
  gfx_render_box(0, 0, 800, 600, 1, 0, "101018")
  gfx_blending("alpha")
  for _, effect in ipairs(effects) do gfx_particle_render(effect) end
end

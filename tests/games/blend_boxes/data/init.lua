-- Boxes over a striped background with every blending preset, factor pairs,
-- the alpha test and the colour mask.
function boot() gfx_resolution(320, 240) end
function init() end
function update(dt) end

local function background()
  gfx_blending("none")
  gfx_render_box(0, 0, 320, 240, 1, 0, "203040")
  for i = 0, 7 do
    gfx_render_box(i * 40, 0, 20, 240, 1, 0, "806020")
  end
end

function render()
  background()
  local presets = {"none", "alpha", "ADDITIVE", "Sum", "max", "mult"}
  for i, name in ipairs(presets) do
    gfx_blending(name)
    gfx_render_box(10 + (i - 1) * 50, 10, 40, 40, 0.5, 0, "3080ff")
  end
  local pairs_ = {{4, "invsrcalpha"}, {"DESTCOLOR", "ZERO"}, {1, 1}, {"INVDESTCOLOR", "ZERO"}, {12, "ZERO"}}
  for i, p in ipairs(pairs_) do
    gfx_blending("alpha")
    gfx_blending_src_dest(p[1], p[2])
    gfx_render_box(10 + (i - 1) * 50, 60, 40, 40, 0.75, 0, "c0ff40")
  end
  gfx_blending("alpha")
  -- alpha test: the box with opacity 0.4 (102) is cut, 0.6 (153) passes
  gfx_alpha_test("greater", 128)
  gfx_render_box(10, 110, 40, 40, 0.4, 0, "ffffff")
  gfx_render_box(60, 110, 40, 40, 0.6, 0, "ffffff")
  gfx_alpha_test("whatever")
  -- colour mask: only red, then all again
  gfx_blending(nil, true)
  gfx_render_box(110, 110, 40, 40, 1, 0, "ffffff")
  gfx_blending("alpha", true, true, true, true)
  gfx_render_box(160, 110, 40, 40, 1, 0, "ffffff")
  -- rotation about a pivot and a box hanging off the edges
  gfx_render_box(240, 170, 60, 20, 1, 30, "ff4040", 30, 10)
  gfx_render_box(-10, 200, 40, 60, 1, 0, "40ff40")
end

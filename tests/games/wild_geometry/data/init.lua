-- Vertex tables that are not numbers or lie absurdly far away, among
-- ordinary drawing. With the file "hostile" in the data they are drawn every
-- frame; the frames must look as if they were not, and the game goes on.
local hostile = file_exists("hostile")
local nan, inf = 0 / 0, math.huge
function boot() gfx_resolution(320, 240) end
function init() end
function update(dt) end

local function quad(a, b, c, d)
  gfx_render_sprite_by_vertex_table(nil, {a, b, c, d})
end
local function v(x, y, z) return {x = x, y = y, z = z, r = 1, g = 0.5, b = 0.2, alpha = 1} end

local wild = {
  -- one vertex at a depth far beyond the far plane, or far behind the eye
  function() quad(v(10, 10), v(100, 10), v(100, 100, -1e10), v(10, 100)) end,
  function() quad(v(10, 10), v(100, 10), v(100, 100, 1e30), v(10, 100)) end,
  -- positions that are not numbers, infinite or absurdly far out
  function() quad(v(nan, 10), v(100, 10), v(100, 100), v(10, 100)) end,
  function() quad(v(10, 10), v(100, nan), v(100, 100), v(10, 100)) end,
  function() quad(v(10, 10), v(inf, 10), v(100, 100), v(10, 100)) end,
  function() quad(v(-inf, -inf), v(inf, -inf), v(inf, inf), v(-inf, inf)) end,
  function() quad(v(10, 10), v(1e30, 10), v(1e30, 1e30), v(10, 100)) end,
  function() quad(v(10, 10, nan), v(100, 10), v(100, 100), v(10, 100)) end,
  -- texture coordinates and colours that are not numbers
  function() quad({x = 10, y = 10, u = nan, alpha = 1}, v(100, 10), v(100, 100), v(10, 100)) end,
  function() quad({x = 10, y = 10, r = nan, alpha = 1}, v(100, 10), v(100, 100), v(10, 100)) end,
}

function render()
  gfx_blending("none")
  gfx_render_box(0, 0, 320, 240, 1, 0, "203040")
  gfx_blending("alpha")
  if hostile then
    for _, draw in ipairs(wild) do draw() end
  end
  -- ordinary drawing after them, and a quad reaching far past the target
  -- (cut at the edges, not dropped)
  gfx_render_box(120, 60, 80, 60, 0.8, 15, "40ff80")
  quad(v(-5e6, 150), v(5e6, 150), v(5e6, 200), v(-5e6, 200))
  gfx_render_box(20, 160, 60, 40, 1, 0, "ff4040")
end

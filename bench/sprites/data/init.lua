-- Draws COUNT sprites a frame from one texture (or two alternating), each at
-- a fixed pseudo-random place with its own rotation and tint, alpha-blended.
file_load_lua("params.lua")
file_load_lua("frames.lua")
local sprites = {}
local bitmaps = {}
function boot() end
function init()
  bitmaps[1] = gfx_load_bitmap("sprite_a.png")
  bitmaps[2] = TEXTURES == 2 and gfx_load_bitmap("sprite_b.png") or bitmaps[1]
  local seed = 12345
  local function random()
    seed = (seed * 1103515245 + 12345) % 2147483648
    return seed / 2147483648
  end
  for i = 1, COUNT do
    sprites[i] = {x = random() * 800, y = random() * 600, angle = random() * 360,
                  colour = gfx_color(0.5 + random() * 0.5, 0.5 + random() * 0.5, 0.5 + random() * 0.5)}
  end
end
function update(dt) end
function render()
  count_frame()
  gfx_blending("alpha")
  for i = 1, COUNT do
    local s = sprites[i]
    gfx_render_sprite(bitmaps[i % 2 + 1], "main", s.x, s.y, 0.8, s.angle, 1, 1, s.colour)
  end
end

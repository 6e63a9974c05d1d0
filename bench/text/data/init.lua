-- Draws STRINGS strings of 50 characters a frame, each laid out again every
-- frame and coloured per line; WRAPPED centres them in a 300-pixel box.
file_load_lua("params.lua")
file_load_lua("frames.lua")
local lines = {}
function boot() gfx_resolution(800, 600) end
function init()
  gfx_load_font("fonts/*.xml")
  local words = {"alpha", "beta", "gamma", "delta", "epsilon", "zeta", "eta", "theta", "iota", "kappa"}
  for i = 1, STRINGS do
    local text, k = "", i
    while #text < 50 do
      text = text .. words[k % #words + 1] .. " "
      k = k + 3
    end
    lines[i] = {text = text:sub(1, 50), colour = string.format("%02x%02x%02x", 80 + i % 170, 255 - i % 200, 120)}
  end
end
function update(dt) end
function render()
  count_frame()
  gfx_blending("alpha")
  for i = 1, STRINGS do
    local line = lines[i]
    local y = (i - 1) % 40 * 15
    if WRAPPED then
      gfx_render_text("dejavu16", 150 + (i % 2) * 400, y, line.text, "center", 300, 0, 1, line.colour)
    else
      gfx_render_text("dejavu16", (i % 4) * 200, y, line.text, nil, 0, 0, 1, line.colour)
    end
  end
end

-- Text in fonts baked by tarn-fontgen: multi-line, wrapped and centred in a
-- box, right-aligned, a stored layout drawn again and recoloured, a font of
-- several pages with Polish and Cyrillic letters, and the debug font. Also
-- fonts the engine must refuse without harm.
function boot() gfx_resolution(400, 300) end

local function size(...)
  local w, h = gfx_text_size(...)
  return w .. " " .. h
end

function init()
  gfx_load_font("fonts/*.xml")
  gfx_load_font("bad/*.xml")
  gfx_set_font("dejavu", 16)
  local ab = gfx_text_size(nil, "ab")
  local abab = gfx_text_size(nil, "abab")
  log("double width: " .. tostring(abab == 2 * ab))
  log("Hello width: " .. gfx_text_size(nil, "Hello"))
  log("one line high: " .. select(2, gfx_text_size(nil, "Hello")))
  log("trailing line feed high: " .. select(2, gfx_text_size(nil, "Hello\n")))
  log("no text: " .. size("dejavu16"))
  local _, two = gfx_text_size("dejavu16", "one\ntwo")
  local _, wrapped = gfx_text_size("dejavu16", "one two three four five", "left", 60)
  log("two lines taller: " .. tostring(two > 16 and two < 40))
  log("wrapped taller than two: " .. tostring(wrapped > two))
  local w24, w32 = gfx_text_size("dejavu24", "ab"), gfx_text_size("dejavu32", "ab")
  log("scaled: " .. tostring(math.abs(w32 - w24 * 32 / 24) < 1e-3))
  gfx_set_font("missing", 10)
end

function update(dt)
  log("polys " .. tostring(tarn.drawn_polys_count))
end

function render()
  gfx_blending("none")
  gfx_render_box(0, 0, 400, 300, 1, 0, "203040")
  gfx_blending("alpha")
  gfx_render_text("dejavu16", 10, 10, "Left aligned,\nsecond line\n\nafter a gap")
  gfx_render_text("dejavu16", 200, 90, "Centred and wrapped in a box of 150 pixels", "center vcenter", 150, 0, 1,
                  "ffd040")
  gfx_render_text("dejavu16", 390, 10, "right\naligned ends", "right")
  gfx_render_text(nil, 390, 140, nil, nil, nil, nil, 0.5, "80ff80")  -- the last layout, recoloured
  gfx_render_text("dejavu24", 10, 160, "Zażółć gęślą jaźń\nСъешь же эти")
  gfx_render_simple_text(10, 270, "debug font 0123")
end

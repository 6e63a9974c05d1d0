-- The developer console: opened with the tilde key, a typed command runs in
-- the game's state, the game pauses while it is open.
local frames = 0
y = 0
function boot() end
function init() print("script output line") log("a log line") end
function update(dt)
  frames = frames + 1
  log(string.format("update %d y=%d", frames, y))
end
function render()
  gfx_render_box(0, 0, 800, 600, 1, 0, "304060")
end

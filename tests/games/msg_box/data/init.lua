local frames = 0
function boot() end
function init()
  msg("plain")
  msg("zero id", 0)
  msg("negative id", -3)
  msg("line one\nline two", 7)   -- ignore: silenced
  msg("again seven", 7)          -- no box
  msg("eight", 8)                -- retry: shows again
  msg("eight again", 8)          -- default answer (retry)
  msg("nine", 9.4)               -- abort: silenced, and the game closes
  msg("nine again", 9)
  log("init done")
end
function update(dt) frames = frames + 1 end
function render() end
function destroy() log("destroy at " .. frames) end

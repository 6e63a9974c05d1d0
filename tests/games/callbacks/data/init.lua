log("init.lua runs")
local frames = 0
function boot() log("boot") end
function init() log("init") end
function update(dt)
  frames = frames + 1
  log("update " .. frames)
end
function render() log("render " .. frames) end
function destroy() log("destroy") end

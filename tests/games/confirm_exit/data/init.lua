local frames = 0
local asked = nil
function boot() end
function init() end
function exit()
  log("exit asked at " .. frames)
  asked = frames
end
function update(dt)
  frames = frames + 1
  if asked and frames == asked + 3 then log("leaving") sys_exit() end
end
function render() end
function destroy() log("destroy at " .. frames) end

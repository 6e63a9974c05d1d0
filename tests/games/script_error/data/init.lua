local frames = 0
function boot() end
function init() end
function update(dt)
  frames = frames + 1
  log("update " .. frames)
  if frames == 2 then
    local broken = nil
    broken.field = 1
  end
end
function render() log("render " .. frames) end
function destroy() log("destroy") end

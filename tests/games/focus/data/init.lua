local frames = 0
local renders = 0
function boot() end
function init() end
function update(dt)
  frames = frames + 1
  log(string.format("update %d dt %.4f time %.2f active %s", frames, dt, timer_time(), tostring(app_active())))
end
function render() renders = renders + 1 end
function destroy() log("renders " .. renders) end

local frames = 0
function boot() end
function init() end
function update(dt)
  frames = frames + 1
  log("update " .. frames)
end
function render() end
function exit()
  log("exit runs")
  error("exit failed")
end
function destroy()
  log("destroy runs " .. (timer_time() < 0.5 and "early" or "late"))
  error("destroy failed")
end

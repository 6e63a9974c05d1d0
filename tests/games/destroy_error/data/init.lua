local frames = 0
function boot() end
function init() end
function update(dt)
  frames = frames + 1
  log("update " .. frames)
end
function render() end
function destroy()
  log("destroy runs")
  error("destroy failed")
end

local frames = 0
function boot() end
function init() end
function update(dt)
  frames = frames + 1
  log(string.format("update %d dt %.4f", frames, dt))
end
function render() end

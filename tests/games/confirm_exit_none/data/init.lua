local frames = 0
function boot() end
function init() end
function update(dt) frames = frames + 1 end
function render() end
function destroy() log("destroy at " .. frames) end

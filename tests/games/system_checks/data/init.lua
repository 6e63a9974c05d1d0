-- Reached only when the start's checks let the game start.
function boot() gfx_resolution(160, 120) end
function init() log("game started") end
function update() sys_exit() end
function render() end

-- The console's "re" command makes the display again; it is not run as Lua.
function boot() end
function init() end
function update(dt) end
function render() end
function on_recreate() log("recreated") end

function boot()
  log("missing: " .. tostring(file_load_lua("nothing/here.lua", false)))
  log("broken: " .. tostring(file_load_lua("broken.lua", false)))
  log("good: " .. tostring(file_load_lua("Scripts\\Good.LUA")))
  log("good value " .. tostring(good_value))
end
function init() end
function update(dt) end
function render() end

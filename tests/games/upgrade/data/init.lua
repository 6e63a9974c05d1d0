-- The upgrade path: the engine asks the check's server at start-up and
-- downloads the installer it names; the script hears of it here and ends.
-- With wait.lua (WAIT_URL) the game instead ends once its own slow request
-- is done, by when the engine's quick exchange with the server has ended too.
if file_exists("wait.lua") then file_load_lua("wait.lua") end
local waiting
function boot() gfx_resolution(160, 120) end
function sys_upgrade_downloaded(build, installed)
  log("downloaded: " .. build .. " " .. installed)
  sys_exit()
end
function init()
  if WAIT_URL then waiting = net_get(WAIT_URL) end
end
function update()
  if waiting and net_status(waiting) ~= "busy" then sys_exit() end
end
function render() end

-- The upgrade path: the engine asks the check's server at start-up and
-- downloads the installer it names; the script hears of it here and ends.
function boot() gfx_resolution(160, 120) end
function sys_upgrade_downloaded(build, installed)
  log("downloaded: " .. build .. " " .. installed)
  sys_exit()
end
function init() end
function update() end
function render() end

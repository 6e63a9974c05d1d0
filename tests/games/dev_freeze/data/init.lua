local frames = 0
function boot() end
function init() end
function update(dt)
  frames = frames + 1
  log("update " .. frames)
  if frames == 2 then
    -- A fatal engine error returns in developer mode; the script goes on
    -- until its own error, which is logged without a second separator.
    log("load returned " .. tostring(file_load_lua("missing.lua")))
    error("second failure")
  end
end
function render() log("render " .. frames) end
function destroy() log("destroy") end

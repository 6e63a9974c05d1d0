-- Every loader a script reaches gets the same precompiled chunk and must
-- refuse it; source text still loads.
local function payload() log("bytecode ran") return 7 end
local code = string.dump(payload)

local function show(name, ok, message)
  log(name .. ": " .. type(ok) .. " | " .. tostring(message))
end

function boot() end
function init()
  show("loadstring", loadstring(code))
  show("loadstring named", loadstring(code, "=named"))
  local sent = false
  show("load", load(function()
    if sent then return nil end
    sent = true
    return code
  end))
  file_save("payload.luac", code)
  show("file_load_lua", file_load_lua("payload.luac", false))
  show("loadfile", loadfile("payload.luac"))
  show("dofile", pcall(dofile, "payload.luac"))
  log("source: " .. loadstring("return 1 + 1")() .. " " .. dofile("helper.lua") .. " " .. loadfile("helper.lua")())
  -- The next run finds this init.lua in the write folder, before the game's.
  file_save("init.lua", string.dump(function() log("binary init ran") end))
end
function update(dt) end
function render() end

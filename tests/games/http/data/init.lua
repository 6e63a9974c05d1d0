-- HTTP requests against the test's own server (ports.lua, written by the
-- check): GET and POST, partial answers, authentication, dropped requests,
-- refused, stalled, oversized and untrusted transfers, and the frame loop
-- running on while 50 requests stall.
file_load_lua("ports.lua")
local base = "http://127.0.0.1:" .. PORT
local r = {}
local frames, stalledFrames = 0, nil
local sawPartial = false
local stalled = {}

function boot() gfx_resolution(160, 120) end

function init()
  r.hello = net_get(base .. "/hello")
  r.slow = net_get(base .. "/slow")
  r.post = net_post_begin(base .. "/echo")
  log("post values: " .. tostring(net_post_value(r.post, "a b", "x&y=z")) .. " " ..
    tostring(net_post_value(r.post, "n", "1")))
  log("post started: " .. tostring(net_post_end(r.post)))
  log("value after end: " .. tostring(net_post_value(r.post, "late", "1")))
  r.auth = net_get(base .. "/auth", "user")
  r.agent = net_get(base .. "/agent")
  r.dropped = net_post_begin(base .. "/echo")
  net_post_end(r.dropped, false)
  r.refused = net_get("http://127.0.0.1:" .. CLOSED .. "/hello")
  r.big = net_get(base .. "/big?n=300000")
  r.secure = net_get("https://127.0.0.1:" .. SECURE .. "/hello")
  r.file = net_get("file:///etc/hostname")
  r.stall = net_get(base .. "/stall")
  for i = 1, 50 do stalled[i] = net_get(base .. "/stall") end
  log("ids: " .. table.concat({r.hello, r.slow, r.post, r.auth, r.agent, r.dropped}, " "))
  log("first status: " .. net_status(r.hello) .. " " .. net_status(r.slow))
  log("unknown: " .. net_status(9999) .. " " .. tostring(net_output(9999)) .. " " .. tostring(net_release(9999)))
end

local function finished(id)
  local s = net_status(id)
  return s == "ok" or s == "error"
end

local function report()
  for _, name in ipairs({"hello", "slow", "post", "auth", "agent", "refused", "big", "secure", "file", "stall"}) do
    local out = net_output(r[name])
    log(name .. ": " .. net_status(r[name]) .. " " .. tostring(out):sub(1, 60))
  end
  log("dropped: " .. net_status(r.dropped))
  log("partial seen: " .. tostring(sawPartial))
  log("frames while stalled: " .. (stalledFrames > 100 and "many" or tostring(stalledFrames)))
  log("released: " .. tostring(net_release(r.hello)) .. " " .. net_status(r.hello))
  net_open_web("https://example.com/page")
  net_open_web("file:///etc/passwd")
  log("open empty: " .. tostring(pcall(net_open_web)))
  sys_exit()
end

function update()
  frames = frames + 1
  if net_status(r.slow) == "busy" and net_output(r.slow) == "first part" then sawPartial = true end
  local all = true
  for _, id in ipairs(stalled) do all = all and finished(id) end
  if all and not stalledFrames then stalledFrames = frames end
  for _, id in pairs(r) do all = all and (id == r.dropped or finished(id)) end
  if all and stalledFrames then report() end
end

function render() end

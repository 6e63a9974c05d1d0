-- The Tarn Engine demo. It grows with the engine: for now it shows the frame
-- loop, the timer and the log.
local frames = 0
local elapsed = 0
local lastReport = 0

function boot()
  log("Demo: boot on " .. tarn.platform .. ", engine " .. tarn.build_version)
end

function init()
  log("Demo: init, language " .. tarn.language .. ", developer mode " .. tostring(dev_mode))
end

function update(dt)
  frames = frames + 1
  elapsed = elapsed + dt
  if elapsed - lastReport >= 2 then
    lastReport = elapsed
    log(string.format("Demo: %d frames in %.1f s, about %d fps", frames, elapsed, timer_fps()))
  end
end

function render()
end

function destroy()
  log(string.format("Demo: done after %d frames", frames))
end

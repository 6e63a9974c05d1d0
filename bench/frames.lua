-- Shared by the benchmark games (lib.sh copies it into each game's data):
-- FRAMES, set in params.lua for windowed runs, ends the run after that many
-- frames drawn; the headless runner counts its own passes, and a window
-- without focus gets no updates.
local drawn = 0
function count_frame()
  drawn = drawn + 1
  if FRAMES and drawn >= FRAMES then sys_exit() end
end

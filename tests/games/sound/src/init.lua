-- Effects and music from an archive: tracking of long and looped sounds, the
-- volumes, music cross-fades and the end of a piece told to the script.
local frame = 0
local function say(...) log(table.concat({...}, " ")) end
function boot() end
function init()
  snd_load("sounds.txt")
  say("volumes", snd_sound_volume(), snd_music_volume())
  snd_play_sound("beep")
  snd_play_sound("long")
  snd_play_sound("hum", true, 50)
  snd_play_sound("unknown")
  say("beep playing", tostring(snd_is_sound_playing("beep")))
  say("long playing", tostring(snd_is_sound_playing("long")))
  say("hum playing", tostring(snd_is_sound_playing("hum")))
  say("Hum playing", tostring(snd_is_sound_playing("Hum")))
  say("volume set", snd_sound_volume(50))
  snd_play_music("sounds/TUNE.flac", false, 0)
  snd_play_music("sounds/missing.ogg", true, 1)
end
function music_stopped(name)
  say("music stopped", name)
end
function update(dt)
  frame = frame + 1
  if frame == 5 then
    snd_stop_sound("hum")
    say("hum after stop", tostring(snd_is_sound_playing("hum")))
    snd_play_music("sounds/tune.flac", false, false)
  end
  if frame == 30 then
    snd_play_music("sounds/long.ogg", true, 0.1)
    snd_stop_music(0)
  end
end
function render() end
function destroy() say("destroy") end

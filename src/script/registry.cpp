#include "script/registry.h"

#include "script/api.h"
#include "script/guard.h"
#include "script/lua.h"

namespace tarn {

namespace {

struct Entry {
  const char* name;
  lua_CFunction function;  // null: not built yet
};

#define TARN_FN(name) {#name, &Guarded<api::name>}
#define TARN_LATER(name) {#name, nullptr}

// Every engine function, in registration order.
const Entry kFunctions[] = {
    // display
    TARN_FN(gfx_aspect_ratio_correction), TARN_FN(gfx_resolution),
    // colour
    TARN_FN(gfx_color),
    // text
    TARN_FN(gfx_render_simple_text), TARN_FN(gfx_load_font), TARN_FN(gfx_release_font),
    TARN_FN(gfx_set_font), TARN_FN(gfx_render_text), TARN_FN(gfx_text_size),
    // bitmaps
    TARN_FN(gfx_load_bitmap), TARN_FN(gfx_release_bitmap), TARN_FN(gfx_create_bitmap),
    TARN_FN(gfx_save_bitmap),
    // render target
    TARN_FN(gfx_render_target),
    // drawing
    TARN_FN(gfx_render_sprite), TARN_FN(gfx_render_sprite_by_vertex_table), TARN_FN(gfx_render_box),
    TARN_FN(gfx_sprite_params), TARN_FN(gfx_crop_sprite),
    // render state
    TARN_FN(gfx_blending), TARN_FN(gfx_blending_src_dest), TARN_FN(gfx_alpha_test), TARN_FN(gfx_cull),
    // display
    TARN_FN(gfx_current_mode), TARN_FN(gfx_full_screen),
    // screenshot
    TARN_FN(gfx_screenshot),
    // particles
    TARN_FN(gfx_particle_start), TARN_FN(gfx_particle_restart), TARN_FN(gfx_particle_stop),
    TARN_FN(gfx_particle_release), TARN_FN(gfx_particle_update), TARN_FN(gfx_particle_render),
    TARN_FN(gfx_particle_set_pos), TARN_FN(gfx_particle_set_angle),
    // collision masks
    TARN_FN(gfx_collision_mask_load), TARN_FN(gfx_collision_mask_release),
    TARN_FN(gfx_collision_mask_size), TARN_FN(gfx_collision_mask_test),
    // bitmap regions
    TARN_FN(gfx_bitmap_save_region), TARN_FN(gfx_bitmap_find_smallest_region),
    // projection
    TARN_FN(gfx_perspective_planes),
    // input
    TARN_FN(input_reset), TARN_FN(input_enable), TARN_FN(kbd_struck), TARN_FN(kbd_repeat),
    TARN_FN(kbd_down), TARN_FN(kbd_chars), TARN_FN(mouse_hardware_cursor),
    // timer
    TARN_FN(timer_catchup), TARN_FN(timer_time), TARN_FN(timer_systime), TARN_FN(timer_fps),
    // files
    TARN_FN(file_add_source), TARN_FN(file_load_lua), TARN_FN(file_load_table), TARN_FN(file_load),
    TARN_FN(file_save), TARN_FN(file_remove), TARN_FN(file_rename), TARN_FN(file_exists),
    TARN_FN(file_search), TARN_FN(file_create_directory), TARN_FN(file_remove_directory),
    TARN_FN(file_load_strings),
    // application
    TARN_FN(app_active), TARN_FN(sys_exit),
    // sound
    TARN_FN(snd_load), TARN_FN(snd_play_sound), TARN_FN(snd_stop_sound), TARN_FN(snd_is_sound_playing),
    TARN_FN(snd_play_music), TARN_FN(snd_stop_music), TARN_FN(snd_sound_volume), TARN_FN(snd_music_volume),
    // network
    TARN_FN(net_open_web), TARN_FN(net_get), TARN_FN(net_post_begin), TARN_FN(net_post_value),
    TARN_FN(net_post_end), TARN_FN(net_status), TARN_FN(net_output), TARN_FN(net_release),
    // messages
    TARN_FN(log), TARN_FN(print), TARN_FN(msg),
};

#undef TARN_FN
#undef TARN_LATER

GameFacts (*gameFacts)() = nullptr;

void SetField(lua_State* L, const char* key, const std::string& value) {
  lua_pushstring(L, value.c_str());
  lua_setfield(L, -2, key);
}

void SetField(lua_State* L, const char* key, double value) {
  lua_pushnumber(L, value);
  lua_setfield(L, -2, key);
}

}  // namespace

std::vector<ScriptFunctionInfo> ScriptFunctionList() {
  std::vector<ScriptFunctionInfo> list;
  for (const Entry& entry : kFunctions) list.push_back({entry.name, entry.function != nullptr});
  return list;
}

void RegisterScriptApi(lua_State* L) {
  for (const Entry& entry : kFunctions) {
    if (!entry.function) continue;
    lua_pushcfunction(L, entry.function);
    lua_setglobal(L, entry.name);
  }
  lua_newtable(L);
  lua_setglobal(L, "mouse");
  GameFacts facts = gameFacts ? gameFacts() : GameFacts();
  lua_pushboolean(L, facts.devMode);
  lua_setglobal(L, "dev_mode");

  lua_newtable(L);
  SetField(L, "build_version", facts.buildVersion);
  SetField(L, "build_date", facts.buildDate);
  SetField(L, "app_build", static_cast<double>(facts.appBuild));
  SetField(L, "app_date", facts.appDate);
  SetField(L, "platform", facts.platform);
  SetField(L, "project_code", facts.projectCode);
  SetField(L, "language", facts.language);
  SetField(L, "app_name", facts.appName);
  lua_setglobal(L, "tarn");
}

void SetGameFacts(GameFacts (*facts)()) { gameFacts = facts; }

namespace {

struct TarnStatistics {
  double texturesCount, texturesBytes, polysCount, polysSize;
};

// Runs protected: the script may have given 'tarn' or the globals metatables.
int WriteTarnStatistics(lua_State* L) {
  const TarnStatistics* stats = static_cast<const TarnStatistics*>(lua_touserdata(L, 1));
  lua_getglobal(L, "tarn");
  if (lua_istable(L, -1)) {
    SetField(L, "allocated_textures_count", stats->texturesCount);
    SetField(L, "allocated_textures_size", stats->texturesBytes / 1048576.0);
    SetField(L, "drawn_polys_count", stats->polysCount);
    SetField(L, "drawn_polys_size", stats->polysSize / 1048576.0);
  }
  return 0;
}

}  // namespace

void RefreshTarnStatistics(double texturesCount, double texturesBytes, double polysCount, double polysSize) {
  TarnStatistics stats{texturesCount, texturesBytes, polysCount, polysSize};
  TARN_RUN_PROTECTED(WriteTarnStatistics, &stats, 0, "Application::Render");
}

}  // namespace tarn

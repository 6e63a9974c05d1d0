// The engine functions published to scripts, by family. Each family's functions
// are defined beside the subsystem they call.
#pragma once

#include <lua.hpp>

namespace tarn::api {

// Display (app/display_api.cpp).
int gfx_resolution(lua_State* L);
int gfx_current_mode(lua_State* L);
int gfx_full_screen(lua_State* L);
int gfx_aspect_ratio_correction(lua_State* L);
int mouse_hardware_cursor(lua_State* L);  // the window's cursor

// Input (script/input_api.cpp).
int kbd_struck(lua_State* L);
int kbd_repeat(lua_State* L);
int kbd_down(lua_State* L);
int kbd_chars(lua_State* L);
int input_reset(lua_State* L);
int input_enable(lua_State* L);

// Render states (graphics/render_state_api.cpp).
int gfx_blending(lua_State* L);
int gfx_blending_src_dest(lua_State* L);
int gfx_alpha_test(lua_State* L);
int gfx_cull(lua_State* L);

// Bitmaps (graphics/bitmap_api.cpp).
int gfx_load_bitmap(lua_State* L);
int gfx_release_bitmap(lua_State* L);
int gfx_create_bitmap(lua_State* L);

// Render targets (graphics/render_target_api.cpp).
int gfx_render_target(lua_State* L);

// Collision masks (graphics/mask_api.cpp).
int gfx_collision_mask_load(lua_State* L);
int gfx_collision_mask_release(lua_State* L);
int gfx_collision_mask_size(lua_State* L);
int gfx_collision_mask_test(lua_State* L);

// Particle effects (particles/particle_api.cpp).
int gfx_particle_start(lua_State* L);
int gfx_particle_restart(lua_State* L);
int gfx_particle_stop(lua_State* L);
int gfx_particle_update(lua_State* L);
int gfx_particle_render(lua_State* L);
int gfx_particle_set_pos(lua_State* L);
int gfx_particle_set_angle(lua_State* L);
int gfx_particle_release(lua_State* L);

// Sprites (graphics/sprite_api.cpp).
int gfx_render_sprite(lua_State* L);
int gfx_render_sprite_by_vertex_table(lua_State* L);
int gfx_sprite_params(lua_State* L);
int gfx_crop_sprite(lua_State* L);

// Drawing (graphics/draw_api.cpp).
int gfx_render_box(lua_State* L);
int gfx_perspective_planes(lua_State* L);

// Fonts and text (text/text_api.cpp).
int gfx_render_simple_text(lua_State* L);
int gfx_load_font(lua_State* L);
int gfx_release_font(lua_State* L);
int gfx_set_font(lua_State* L);
int gfx_render_text(lua_State* L);
int gfx_text_size(lua_State* L);

// Screenshots and texture dumps (graphics/screenshot_api.cpp).
int gfx_screenshot(lua_State* L);
int gfx_save_bitmap(lua_State* L);

// HTTP (net/net_api.cpp).
int net_get(lua_State* L);
int net_post_begin(lua_State* L);
int net_post_value(lua_State* L);
int net_post_end(lua_State* L);
int net_status(lua_State* L);
int net_output(lua_State* L);
int net_release(lua_State* L);
int net_open_web(lua_State* L);

// Colour (script/colour_api.cpp).
int gfx_color(lua_State* L);

// Timer (app/timer_api.cpp).
int timer_catchup(lua_State* L);
int timer_time(lua_State* L);
int timer_systime(lua_State* L);
int timer_fps(lua_State* L);

// Files (resources/file_api.cpp).
int file_add_source(lua_State* L);
int file_load_lua(lua_State* L);
int file_load_table(lua_State* L);
int file_load(lua_State* L);
int file_save(lua_State* L);
int file_remove(lua_State* L);
int file_rename(lua_State* L);
int file_exists(lua_State* L);
int file_search(lua_State* L);
int file_create_directory(lua_State* L);
int file_remove_directory(lua_State* L);
int file_load_strings(lua_State* L);

// Application (app/app_api.cpp).
int app_active(lua_State* L);
int sys_exit(lua_State* L);

// Messages (app/log_api.cpp).
int log(lua_State* L);
int print(lua_State* L);
int msg(lua_State* L);

// Image files (graphics/image_api.cpp).
int gfx_bitmap_save_region(lua_State* L);
int gfx_bitmap_find_smallest_region(lua_State* L);

// Sound and music (audio/sound_api.cpp).
int snd_load(lua_State* L);
int snd_play_sound(lua_State* L);
int snd_stop_sound(lua_State* L);
int snd_is_sound_playing(lua_State* L);
int snd_play_music(lua_State* L);
int snd_stop_music(lua_State* L);
int snd_sound_volume(lua_State* L);
int snd_music_volume(lua_State* L);

}  // namespace tarn::api

// The debug font drawn by the OpenGL renderer: the shared glyph atlas in one
// alpha texture (made on first use), one textured quad per character.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>
#include <string>

#include "graphics/debug_font_atlas.h"

namespace tarn::gfx {

// What the text is drawn into: the window, or a framebuffer object whose
// first row is the image's top.
struct GLTextTarget {
  int width = 0;
  int height = 0;
  bool rowsBottomUp = false;
};

class GLDebugFont {
 public:
  // Draws text with its top-left corner at (x, y) in the target's pixels,
  // whatever the projection and viewport, blended by the colour's alpha over
  // the target's colour and keeping its alpha. Leaves the OpenGL state as it
  // found it. 'blendEquation' may be null.
  void Draw(int x, int y, const std::string& text, uint32_t argb, const GLTextTarget& target,
            PFNGLBLENDEQUATIONPROC blendEquation);
  // Deletes the texture; its context must be current.
  void Release();
  // Forgets the texture without deleting it: its context is gone.
  void Forget() { texture_ = 0; }

 private:
  bool MakeTexture();
  void EmitQuads(int x, int y, const std::string& text, int targetWidth, int targetHeight) const;

  GLuint texture_ = 0;
  DebugFontAtlas atlas_;  // the cells; the coverage is dropped once uploaded
};

}  // namespace tarn::gfx

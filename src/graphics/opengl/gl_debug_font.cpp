#include "graphics/opengl/gl_debug_font.h"

namespace tarn::gfx {

void GLDebugFont::Draw(int x, int y, const std::string& text, uint32_t argb, const GLTextTarget& target,
                       PFNGLBLENDEQUATIONPROC blendEquation) {
  if (text.empty() || target.width <= 0 || target.height <= 0) return;
  // Everything changed below comes back with the pops: the back end's
  // cached binding, texturing, blending, masks, tests and culling stay true.
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT |
               GL_VIEWPORT_BIT);
  if (texture_ != 0 || MakeTexture()) {
    glViewport(0, 0, target.width, target.height);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // Target pixels, y down: on the window the bottom row comes first.
    if (target.rowsBottomUp) glOrtho(0, target.width, 0, target.height, -1, 1);
    else glOrtho(0, target.width, target.height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glDisable(GL_ALPHA_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (blendEquation) blendEquation(GL_FUNC_ADD);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    glColor4ub(static_cast<GLubyte>(argb >> 16), static_cast<GLubyte>(argb >> 8), static_cast<GLubyte>(argb),
               static_cast<GLubyte>(argb >> 24));
    EmitQuads(x, y, text, target.width, target.height);

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
  }
  glPopAttrib();
}

void GLDebugFont::EmitQuads(int x, int y, const std::string& text, int targetWidth, int targetHeight) const {
  const float du = 1.0f / static_cast<float>(atlas_.width);
  const float dv = 1.0f / static_cast<float>(atlas_.height);
  glBegin(GL_QUADS);
  PlaceDebugText(x, y, text, [&](const PlacedDebugGlyph& placed) {
    const DebugGlyph& glyph = *placed.glyph;
    int64_t right = placed.x + glyph.width, bottom = placed.y + glyph.rows;
    // Glyphs wholly outside the target are not sent at all.
    if (glyph.width == 0 || glyph.rows == 0 || right <= 0 || bottom <= 0 || placed.x >= targetWidth ||
        placed.y >= targetHeight) {
      return;
    }
    const float x0 = static_cast<float>(placed.x), y0 = static_cast<float>(placed.y);
    const float x1 = static_cast<float>(right), y1 = static_cast<float>(bottom);
    const float u0 = static_cast<float>(atlas_.cellX[placed.index]) * du;
    const float v0 = static_cast<float>(atlas_.cellY[placed.index]) * dv;
    const float u1 = u0 + static_cast<float>(glyph.width) * du, v1 = v0 + static_cast<float>(glyph.rows) * dv;
    glTexCoord2f(u0, v0);
    glVertex2f(x0, y0);
    glTexCoord2f(u1, v0);
    glVertex2f(x1, y0);
    glTexCoord2f(u1, v1);
    glVertex2f(x1, y1);
    glTexCoord2f(u0, v1);
    glVertex2f(x0, y1);
  });
  glEnd();
}

// Called with the attributes pushed: the binding made here is undone.
bool GLDebugFont::MakeTexture() {
  atlas_ = BuildDebugFontAtlas();
  GLuint name = 0;
  glGenTextures(1, &name);
  if (name == 0) return false;
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  while (glGetError() != GL_NO_ERROR) {
  }
  // Rows of a power-of-two width need no particular unpack alignment.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, atlas_.width, atlas_.height, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
               atlas_.coverage.data());
  atlas_.coverage = std::vector<uint8_t>();
  if (glGetError() != GL_NO_ERROR) {
    glDeleteTextures(1, &name);
    return false;
  }
  texture_ = name;
  return true;
}

void GLDebugFont::Release() {
  if (texture_ != 0) glDeleteTextures(1, &texture_);
  texture_ = 0;
}

}  // namespace tarn::gfx

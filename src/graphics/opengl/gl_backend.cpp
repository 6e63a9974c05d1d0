// The OpenGL renderer: fixed-function OpenGL on the compatibility context
// the platform made for the window. Quads go through immediate mode, render
// targets are framebuffer objects of GL_EXT_framebuffer_object, and the
// blend equation is an entry point loaded at start. The debug font is a
// texture of its own (gl_debug_font.cpp).
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "graphics/backend.h"
#include "graphics/opengl/gl_debug_font.h"
#include "platform/platform.h"

namespace tarn::gfx {

namespace {

// Nothing known about the texture binding: the next draw binds again.
constexpr TextureHandle kBindingUnknown = ~static_cast<TextureHandle>(0);

// The extension entry points, loaded through the platform.
struct GLEntryPoints {
  PFNGLBLENDEQUATIONPROC blendEquation = nullptr;
  PFNGLGENFRAMEBUFFERSEXTPROC genFramebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSEXTPROC deleteFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFEREXTPROC bindFramebuffer = nullptr;
  PFNGLFRAMEBUFFERTEXTURE2DEXTPROC framebufferTexture2D = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC checkFramebufferStatus = nullptr;
  PFNGLGENRENDERBUFFERSEXTPROC genRenderbuffers = nullptr;
  PFNGLDELETERENDERBUFFERSEXTPROC deleteRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFEREXTPROC bindRenderbuffer = nullptr;
  PFNGLRENDERBUFFERSTORAGEEXTPROC renderbufferStorage = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC framebufferRenderbuffer = nullptr;

  bool HasFramebuffers() const {
    return genFramebuffers && deleteFramebuffers && bindFramebuffer && framebufferTexture2D &&
           checkFramebufferStatus && genRenderbuffers && deleteRenderbuffers && bindRenderbuffer &&
           renderbufferStorage && framebufferRenderbuffer;
  }
};

template <typename Fn>
void Load(Fn& fn, const char* name) {
  fn = reinterpret_cast<Fn>(Platform::Get().GLProcAddress(name));
}

// Whole-word search in a space-separated extension list.
bool HasExtension(const char* list, const char* name) {
  if (!list || !name || !*name) return false;
  size_t length = std::strlen(name);
  for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += length) {
    bool startOk = p == list || p[-1] == ' ';
    bool endOk = p[length] == ' ' || p[length] == '\0';
    if (startOk && endOk) return true;
  }
  return false;
}

// A render target: a framebuffer object drawing into the texture, with a
// 16-bit depth renderbuffer. The texture itself belongs to the texture record.
class FBORenderBuffer {
 public:
  explicit FBORenderBuffer(const GLEntryPoints& gl) : gl_(gl) {}
  ~FBORenderBuffer() { Release(); }
  FBORenderBuffer(const FBORenderBuffer&) = delete;
  FBORenderBuffer& operator=(const FBORenderBuffer&) = delete;

  bool Create(int width, int height, GLuint texture) {
    Release();
    width_ = width;
    height_ = height;
    gl_.genFramebuffers(1, &framebuffer_);
    gl_.genRenderbuffers(1, &depth_);
    gl_.bindFramebuffer(GL_FRAMEBUFFER_EXT, framebuffer_);
    gl_.framebufferTexture2D(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, texture, 0);
    gl_.bindRenderbuffer(GL_RENDERBUFFER_EXT, depth_);
    gl_.renderbufferStorage(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT16, width, height);
    gl_.framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, depth_);
    gl_.bindRenderbuffer(GL_RENDERBUFFER_EXT, 0);
    GLenum status = gl_.checkFramebufferStatus(GL_FRAMEBUFFER_EXT);
    gl_.bindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
    if (status != GL_FRAMEBUFFER_COMPLETE_EXT) {
      Release();
      return false;
    }
    return true;
  }
  void Release() {
    if (framebuffer_) gl_.deleteFramebuffers(1, &framebuffer_);
    if (depth_) gl_.deleteRenderbuffers(1, &depth_);
    framebuffer_ = 0;
    depth_ = 0;
  }
  void Bind() const { gl_.bindFramebuffer(GL_FRAMEBUFFER_EXT, framebuffer_); }
  void Unbind() const { gl_.bindFramebuffer(GL_FRAMEBUFFER_EXT, 0); }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  const GLEntryPoints& gl_;
  int width_ = 0;
  int height_ = 0;
  GLuint framebuffer_ = 0;
  GLuint depth_ = 0;
};

struct TextureRecord {
  int width = 0;
  int height = 0;
  bool alpha = true;
  std::unique_ptr<FBORenderBuffer> target;  // render targets only
};

GLenum BlendFactorGL(int factor) {
  switch (factor) {
    case kBlendZero: return GL_ZERO;
    case kBlendSrcColour: return GL_SRC_COLOR;
    case kBlendInvSrcColour: return GL_ONE_MINUS_SRC_COLOR;
    case kBlendSrcAlpha: return GL_SRC_ALPHA;
    case kBlendInvSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    case kBlendDestAlpha: return GL_DST_ALPHA;
    case kBlendInvDestAlpha: return GL_ONE_MINUS_DST_ALPHA;
    case kBlendDestColour: return GL_DST_COLOR;
    case kBlendInvDestColour: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_ONE;  // ONE, and "keep" (both factors are set at once here)
  }
}

// 0 for operations OpenGL has no equation for.
GLenum BlendOpGL(int op) {
  switch (op) {
    case kOpAdd: return GL_FUNC_ADD;
    case kOpSubtract: return GL_FUNC_SUBTRACT;
    case kOpRevSubtract: return GL_FUNC_REVERSE_SUBTRACT;
    case kOpMin: return GL_MIN;
    case kOpMax: return GL_MAX;
    default: return 0;
  }
}

GLint AddressModeGL(int mode) {
  if (mode == kAddressClamp) return GL_CLAMP_TO_EDGE;
  if (mode == kAddressMirror) return GL_MIRRORED_REPEAT;
  return GL_REPEAT;
}

class OpenGLBackend : public Backend {
 public:
  // The context may be gone when the back end is destroyed: Close() frees
  // the OpenGL objects.
  ~OpenGLBackend() override = default;

  bool Init(int width, int height, bool bit16) override {
    (void)bit16;  // the colour depth is the context's, chosen by the platform
    if (!glGetString(GL_VERSION)) return false;  // no current context
    width_ = width;
    height_ = height;
    LoadEntryPoints();
    Platform::Get().SetGLSwapInterval(0);  // never wait for the retrace

    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    texturing_ = true;
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_DITHER);
    glShadeModel(GL_SMOOTH);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, 0);
    bound_ = kBindingUnknown;
    addressMode_ = 0;
    maxTextureSide_ = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSide_);
    inTarget_ = false;
    debugFont_.Forget();  // a texture from an earlier start belonged to its own context

    // The initial states: the alpha blending preset, everything else off.
    ApplyAll(RenderStates());
    while (glGetError() != GL_NO_ERROR) {
    }
    return true;
  }

  void Close() override {
    if (inTarget_ && gl_.bindFramebuffer) gl_.bindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
    inTarget_ = false;
    current_ = nullptr;
    for (auto& entry : textures_) {
      entry.second.target.reset();
      GLuint name = static_cast<GLuint>(entry.first);
      glDeleteTextures(1, &name);
    }
    textures_.clear();
    debugFont_.Release();
    bound_ = kBindingUnknown;
    addressMode_ = 0;
  }

  int Width() const override { return width_; }
  int MaxTextureSide() const override { return maxTextureSide_; }
  int Height() const override { return height_; }
  bool HalfPixelOffset() const override { return false; }
  bool FlipsTargets() const override { return true; }
  bool ReportsLifecycle() const override { return false; }
  bool AddressModePerTexture() const override { return true; }
  bool SetsBlendFactorsTogether() const override { return true; }
  bool TargetsResetCulling() const override { return true; }
  bool TakesDds() const override { return false; }

  TextureHandle CreateTexture(int width, int height, bool alpha, bool renderTarget, const uint8_t* bgra) override {
    if (width <= 0 || height <= 0) return 0;
    if (renderTarget && !gl_.HasFramebuffers()) return 0;
    GLuint name = 0;
    glGenTextures(1, &name);
    if (name == 0) return 0;
    glBindTexture(GL_TEXTURE_2D, name);
    bound_ = kBindingUnknown;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    std::vector<uint8_t> black;
    if (!bgra) {
      black.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
      bgra = black.data();
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    glTexImage2D(GL_TEXTURE_2D, 0, alpha ? GL_RGBA8 : GL_RGB8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, bgra);
    if (glGetError() != GL_NO_ERROR) {
      glDeleteTextures(1, &name);
      return 0;
    }
    TextureRecord record;
    record.width = width;
    record.height = height;
    record.alpha = alpha;
    if (renderTarget) {
      record.target = std::make_unique<FBORenderBuffer>(gl_);
      bool ok = record.target->Create(width, height, name);
      if (inTarget_ && current_) current_->Bind();  // creating one unbinds the one in use
      if (!ok) {
        record.target.reset();
        glDeleteTextures(1, &name);
        return 0;
      }
    }
    textures_[name] = std::move(record);
    return name;
  }

  void ReleaseTexture(TextureHandle texture) override {
    auto it = textures_.find(texture);
    if (it == textures_.end()) return;
    if (it->second.target && current_ == it->second.target.get()) EndTarget();
    it->second.target.reset();
    GLuint name = static_cast<GLuint>(texture);
    glDeleteTextures(1, &name);
    textures_.erase(it);
    if (bound_ == texture) bound_ = kBindingUnknown;
  }

  bool ReadTexture(TextureHandle texture, PixelImage& out) override {
    auto it = textures_.find(texture);
    if (it == textures_.end()) return false;
    const TextureRecord& record = it->second;
    out.width = record.width;
    out.height = record.height;
    out.bgra.assign(static_cast<size_t>(record.width) * static_cast<size_t>(record.height) * 4, 0);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
    bound_ = kBindingUnknown;
    while (glGetError() != GL_NO_ERROR) {
    }
    // Row 0 is the image's top for uploaded textures and, thanks to the
    // flipped projection, for render targets too.
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, out.bgra.data());
    return glGetError() == GL_NO_ERROR;
  }

  bool BeginTarget(TextureHandle texture, uint32_t clearArgb) override {
    auto it = textures_.find(texture);
    if (it == textures_.end() || !it->second.target) return false;
    current_ = it->second.target.get();
    current_->Bind();
    inTarget_ = true;
    glViewport(0, 0, current_->Width(), current_->Height());
    ResetFixedState();
    ClearColour(static_cast<float>((clearArgb >> 16) & 0xFF) / 255.0f,
                static_cast<float>((clearArgb >> 8) & 0xFF) / 255.0f, static_cast<float>(clearArgb & 0xFF) / 255.0f,
                static_cast<float>(clearArgb >> 24) / 255.0f, false);
    return true;
  }

  void EndTarget() override {
    if (!inTarget_) return;
    if (current_) current_->Unbind();
    current_ = nullptr;
    inTarget_ = false;
    glViewport(0, 0, width_, height_);
    ResetFixedState();
  }

  void Clear() override {
    ClearColour(0, 0, 0, 0, true);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }

  void SetProjection(const float matrix[16], int targetWidth, int targetHeight) override {
    // The row-vector matrix laid out row by row is the column-major layout
    // of its transpose, which is what OpenGL multiplies column vectors with.
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(matrix);
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, targetWidth, targetHeight);
  }

  void SetStates(const RenderStates& s) override {
    if (s.blendEnabled != states_.blendEnabled) {
      if (s.blendEnabled) glEnable(GL_BLEND);
      else glDisable(GL_BLEND);
    }
    if (s.srcBlend != states_.srcBlend || s.dstBlend != states_.dstBlend) {
      glBlendFunc(BlendFactorGL(s.srcBlend), BlendFactorGL(s.dstBlend));
    }
    if (s.blendOp != states_.blendOp) ApplyBlendOp(s.blendOp);
    if (!std::equal(s.colourMask, s.colourMask + 4, states_.colourMask)) {
      glColorMask(s.colourMask[0], s.colourMask[1], s.colourMask[2], s.colourMask[3]);
    }
    if (s.alphaFunc != states_.alphaFunc || s.alphaRef != states_.alphaRef) ApplyAlphaTest(s.alphaFunc, s.alphaRef);
    int blendOp = states_.blendOp;
    states_ = s;
    if (BlendOpGL(s.blendOp) == 0) states_.blendOp = blendOp;  // an unknown operation changes nothing
    if (s.cullMode != cullApplied_) ApplyCull(s.cullMode);
  }

  void Draw(const Quad& quad, TextureHandle texture, int addressMode) override { DrawBatch(&quad, 1, texture, addressMode); }

  void DrawBatch(const Quad* quads, int count, TextureHandle texture, int addressMode) override {
    UseTexture(texture, addressMode);
    glBegin(GL_QUADS);
    for (int i = 0; i < count; ++i) {
      for (const QuadVertex& v : quads[i].v) {
        glTexCoord2f(v.u, v.v);
        glColor4f(v.r, v.g, v.b, v.a);
        glVertex3f(v.x, v.y, v.z);
      }
    }
    glEnd();
  }

  // Binds the texture (none for 0 or an unknown one) with its address mode.
  void UseTexture(TextureHandle texture, int addressMode) {
    if (texture != 0 && texture != bound_ && textures_.find(texture) == textures_.end()) texture = 0;
    if (texture == 0) {
      if (texturing_) {
        glDisable(GL_TEXTURE_2D);
        texturing_ = false;
      }
    } else {
      if (!texturing_) {
        glEnable(GL_TEXTURE_2D);
        texturing_ = true;
      }
      if (texture != bound_) {
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
        bound_ = texture;
        addressMode_ = 0;  // the wrap modes belong to the texture object
      }
      if (addressMode != addressMode_) {
        GLint wrap = AddressModeGL(addressMode);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
        addressMode_ = addressMode;
      }
    }
  }

  bool Present() override {
    Platform::Get().SwapGL();
    return true;
  }

  bool ReadBackBuffer(PixelImage& out) override {
    if (width_ <= 0 || height_ <= 0) return false;
    if (inTarget_) current_->Unbind();
    // Mesa's swap copies the back buffer to the window and leaves it as it
    // was, so after a present this is still the frame shown. (The front
    // buffer of the software rasteriser is not the window's contents.)
    glReadBuffer(GL_BACK);
    std::vector<uint8_t> rows(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4);
    while (glGetError() != GL_NO_ERROR) {
    }
    glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    bool ok = glGetError() == GL_NO_ERROR;
    if (inTarget_) current_->Bind();
    if (!ok) return false;
    out.width = width_;
    out.height = height_;
    out.bgra.resize(rows.size());
    size_t stride = static_cast<size_t>(width_) * 4;
    for (int y = 0; y < height_; ++y) {  // the window's rows run bottom-up
      std::memcpy(out.bgra.data() + static_cast<size_t>(y) * stride,
                  rows.data() + static_cast<size_t>(height_ - 1 - y) * stride, stride);
    }
    for (size_t i = 3; i < out.bgra.size(); i += 4) out.bgra[i] = 255;  // the back buffer has no alpha
    return true;
  }

  bool HasDebugFont() const override { return true; }
  void DrawDebugText(int x, int y, const std::string& text, uint32_t argb) override {
    GLTextTarget target;
    target.width = inTarget_ && current_ ? current_->Width() : width_;
    target.height = inTarget_ && current_ ? current_->Height() : height_;
    target.rowsBottomUp = inTarget_;
    debugFont_.Draw(x, y, text, argb, target, gl_.blendEquation);
  }
  int MeasureDebugText(const std::string& text) override { return DebugTextWidth(text); }
  int DebugFontHeight() const override { return kDebugFontHeight; }

 private:
  void LoadEntryPoints() {
    gl_ = GLEntryPoints();
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    Load(gl_.blendEquation, "glBlendEquation");
    if (HasExtension(extensions, "GL_EXT_framebuffer_object")) {
      Load(gl_.genFramebuffers, "glGenFramebuffersEXT");
      Load(gl_.deleteFramebuffers, "glDeleteFramebuffersEXT");
      Load(gl_.bindFramebuffer, "glBindFramebufferEXT");
      Load(gl_.framebufferTexture2D, "glFramebufferTexture2DEXT");
      Load(gl_.checkFramebufferStatus, "glCheckFramebufferStatusEXT");
      Load(gl_.genRenderbuffers, "glGenRenderbuffersEXT");
      Load(gl_.deleteRenderbuffers, "glDeleteRenderbuffersEXT");
      Load(gl_.bindRenderbuffer, "glBindRenderbufferEXT");
      Load(gl_.renderbufferStorage, "glRenderbufferStorageEXT");
      Load(gl_.framebufferRenderbuffer, "glFramebufferRenderbufferEXT");
    }
  }

  // What every switch between the window and a target sets again.
  void ResetFixedState() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (!texturing_) {
      glEnable(GL_TEXTURE_2D);
      texturing_ = true;
    }
    glDisable(GL_DEPTH_TEST);
    ApplyCull(states_.cullMode);
  }

  // Clears the current target whatever the colour mask says.
  void ClearColour(float r, float g, float b, float a, bool depth) {
    const bool* mask = states_.colourMask;
    bool masked = !(mask[0] && mask[1] && mask[2] && mask[3]);
    if (masked) glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(r, g, b, a);
    glClear(GL_COLOR_BUFFER_BIT | (depth ? GL_DEPTH_BUFFER_BIT : 0));
    if (masked) glColorMask(mask[0], mask[1], mask[2], mask[3]);
  }

  void ApplyAll(const RenderStates& s) {
    if (s.blendEnabled) glEnable(GL_BLEND);
    else glDisable(GL_BLEND);
    glBlendFunc(BlendFactorGL(s.srcBlend), BlendFactorGL(s.dstBlend));
    ApplyBlendOp(s.blendOp);
    glColorMask(s.colourMask[0], s.colourMask[1], s.colourMask[2], s.colourMask[3]);
    ApplyAlphaTest(s.alphaFunc, s.alphaRef);
    states_ = s;
    cullApplied_ = -1;
    ApplyCull(s.cullMode);
  }

  void ApplyBlendOp(int op) {
    GLenum equation = BlendOpGL(op);
    if (gl_.blendEquation && equation) gl_.blendEquation(equation);
  }

  void ApplyAlphaTest(int func, int ref) {
    if (func == kAlways || func < kNever || func > kAlways) {
      glDisable(GL_ALPHA_TEST);
      return;
    }
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_NEVER + static_cast<GLenum>(func), static_cast<float>(ref) / 255.0f);
  }

  // BACK removes quads that run counter-clockwise on screen (y down), FRONT
  // the clockwise ones, as in the default renderer. OpenGL judges the winding
  // in framebuffer coordinates, with y up: on the window the projection
  // mirrors y, so a quad clockwise on screen is clockwise to OpenGL; the
  // flipped projection of a render target keeps y as it is, so there the
  // same quad is counter-clockwise to OpenGL. Front faces are therefore the
  // counter-clockwise ones on the window and the clockwise ones in targets,
  // and BACK culls OpenGL's front faces.
  void ApplyCull(int mode) {
    GLenum front = inTarget_ ? GL_CW : GL_CCW;
    if (mode == kCullBack || mode == kCullFront) {
      if (cullApplied_ != kCullBack && cullApplied_ != kCullFront) glEnable(GL_CULL_FACE);
      glCullFace(mode == kCullBack ? GL_FRONT : GL_BACK);
      glFrontFace(front);
    } else if (cullApplied_ != kCullNone) {
      glDisable(GL_CULL_FACE);
    }
    cullApplied_ = mode == kCullBack || mode == kCullFront ? mode : kCullNone;
  }

  GLEntryPoints gl_;
  int width_ = 0;
  int height_ = 0;
  GLint maxTextureSide_ = 0;
  std::unordered_map<TextureHandle, TextureRecord> textures_;
  TextureHandle bound_ = kBindingUnknown;
  int addressMode_ = 0;
  bool texturing_ = true;
  RenderStates states_;
  int cullApplied_ = -1;
  FBORenderBuffer* current_ = nullptr;
  bool inTarget_ = false;
  GLDebugFont debugFont_;
};

}  // namespace

std::unique_ptr<Backend> CreateOpenGLBackend() { return std::make_unique<OpenGLBackend>(); }

}  // namespace tarn::gfx

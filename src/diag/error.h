// Fatal errors and the engine's exception types.
#pragma once

#include <string>

namespace tarn {

// The engine's error exception: a message of at most 254 characters.
class Exception {
 public:
  explicit Exception(const std::string& message = std::string());
  const char* Message() const { return message_; }

 private:
  char message_[255];
};

// Thrown by the run loop when the quit message arrives.
struct ExceptionQuit {};

// The error view: the state the engine stops the game in after an error. An
// error-level log line enters it and nothing leaves it while the process runs;
// the console shows it, the script host and the frame loop stand still in it.
void EnterErrorView();
bool InErrorView();
// Back to the state of a fresh process (tests).
void ResetErrorView();

// In developer mode a fatal error is only logged and the program goes on.
// Configuration sets it from its dev_mode entry; it is off at start.
void SetDeveloperMode(bool on);

// Logs the message at error level (which enters the error view) and,
// outside developer mode, throws Exception. A null format does nothing.
void FatalError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Throws Exception carrying the formatted message; logs nothing.
[[noreturn]] void ThrowError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Fixed-text fatal errors.
void ErrorLoadingFile(const std::string& path);
void ErrorProcessingFile(const std::string& path);
void ErrorProcessingFileLine(const std::string& path, int line, const std::string& text);
void WrongFileFormat(const std::string& path, const char* expected = nullptr);
void SandboxCreateFolder(const std::string& path);
void SandboxWriteFile(const std::string& path);
void SandboxRemoveFolder(const std::string& path);
void SandboxDeleteFile(const std::string& path);
void SandboxRename(const std::string& path);
void MissingSprite(const std::string& sprite, const std::string& texture);

// Fatal texts raised by several places.
namespace fatal_text {
inline constexpr const char* kCannotCreateAppWindow = "Cannot Create App Window";
inline constexpr const char* kCannotInitDirectX = "Cannot initialize DirectX";
inline constexpr const char* kRegisterClass = "Error - RegisterClassEx";
inline constexpr const char* kCreateWindow = "Error - CreateWindowEx";
inline constexpr const char* kInitOpenGLWindow = "Error - InitOpenGLWindow";
inline constexpr const char* kSavedGamesFolder = "Could not create saved games directory!";
inline constexpr const char* kParconMissingFile = "Parcon Error: Cannot find file %s!";
inline constexpr const char* kParconDepth = "Parcon Error: Maximum allowed depth for file includes is %d!";
inline constexpr const char* kParconMoreData =
    "Parcon Error: More data expected! Last read:\n\nFile: %s\nValue: %s\nList name: %s";
inline constexpr const char* kNoParticle = "part==NULL";
inline constexpr const char* kNoMask = "pMask==NULL";
inline constexpr const char* kTextureFileMissing = "Can't find texture file %s!";
inline constexpr const char* kTextureNotInitialized = "Texture is not initialized!";
inline constexpr const char* kSpriteMissing = "Can't find sptite \"%s\" in texture \"%s\"!";
inline constexpr const char* kSoundFile = "Can't load a sound file: %s!";
inline constexpr const char* kLuaError = "LUA ERROR: %s";
}  // namespace fatal_text

}  // namespace tarn

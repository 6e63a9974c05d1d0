#include "audio/game_file.h"

#include "resources/filesystem.h"

namespace tarn::audio {

namespace {

class GameFile : public ReadFile {
 public:
  GameFile(InputStream* stream, int64_t size, const std::string& name)
      : stream_(stream), size_(size), name_(name.substr(0, kMaxFileNameLength)) {}
  ~GameFile() override { FileSystem::Instance().CloseRead(stream_); }
  GameFile(const GameFile&) = delete;
  GameFile& operator=(const GameFile&) = delete;

  int64_t Read(void* buffer, int64_t count) override {
    stream_->clear();
    if (count <= 0) return 0;
    stream_->read(static_cast<char*>(buffer), static_cast<std::streamsize>(count));
    return static_cast<int64_t>(stream_->gcount());
  }
  bool Seek(int64_t position, bool relative) override {
    stream_->clear();
    stream_->seekg(static_cast<std::streamoff>(position), relative ? std::ios::cur : std::ios::beg);
    return stream_->good();
  }
  int64_t Size() const override { return size_; }
  int64_t Position() override {
    if (stream_->fail()) return -1;
    return static_cast<int64_t>(stream_->tellg());
  }
  const std::string& Name() const override { return name_; }

 private:
  InputStream* stream_;
  int64_t size_;
  std::string name_;
};

}  // namespace

std::unique_ptr<ReadFile> OpenGameFile(const std::string& name) {
  FileInfo info;
  InputStream* stream = FileSystem::Instance().OpenRead(name, &info, true);
  if (!stream) return nullptr;
  return std::make_unique<GameFile>(stream, static_cast<int64_t>(info.size), name);
}

}  // namespace tarn::audio

#include "resources/streams.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <streambuf>

namespace tarn {

namespace {

// The largest piece one istream::read is asked for.
constexpr uint64_t kReadPiece = 1u << 30;

// Reads memory that somebody else owns.
class MemoryBuf : public std::streambuf {
 public:
  MemoryBuf(const char* data, size_t length) {
    char* begin = const_cast<char*>(data);
    setg(begin, begin, begin + length);
  }

 protected:
  pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override {
    off_type base = dir == std::ios_base::beg ? 0 : dir == std::ios_base::cur ? gptr() - eback() : egptr() - eback();
    return seekpos(pos_type(base + off), which);
  }
  pos_type seekpos(pos_type pos, std::ios_base::openmode which) override {
    off_type target = off_type(pos);
    if (!(which & std::ios_base::in) || target < 0 || target > egptr() - eback()) return pos_type(off_type(-1));
    setg(eback(), eback() + target, egptr());
    return pos;
  }
  std::streamsize showmanyc() override { return egptr() - gptr(); }
};

// Reads a span of a file in place, ending after the span's last byte.
class BoundedFileBuf : public std::streambuf {
 public:
  BoundedFileBuf(std::unique_ptr<std::istream> file, uint64_t begin, uint64_t length)
      : file_(std::move(file)), begin_(begin), length_(length) {
    setg(buffer_, buffer_, buffer_);
  }

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    uint64_t pos = Position();
    if (pos >= length_) return traits_type::eof();
    uint64_t want = std::min<uint64_t>(sizeof(buffer_), length_ - pos);
    std::streambuf* source = file_->rdbuf();
    if (!source || source->pubseekpos(static_cast<std::streamoff>(begin_ + pos), std::ios_base::in) ==
                       std::streampos(std::streamoff(-1)))
      return traits_type::eof();
    std::streamsize got = source->sgetn(buffer_, static_cast<std::streamsize>(want));
    if (got <= 0) return traits_type::eof();
    bufferStart_ = pos;
    setg(buffer_, buffer_, buffer_ + got);
    return traits_type::to_int_type(*gptr());
  }

  pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override {
    off_type base = dir == std::ios_base::beg   ? 0
                    : dir == std::ios_base::cur ? static_cast<off_type>(Position())
                                                : static_cast<off_type>(length_);
    return seekpos(pos_type(base + off), which);
  }

  pos_type seekpos(pos_type pos, std::ios_base::openmode which) override {
    off_type target = off_type(pos);
    if (!(which & std::ios_base::in) || target < 0 || static_cast<uint64_t>(target) > length_)
      return pos_type(off_type(-1));
    uint64_t t = static_cast<uint64_t>(target);
    if (t >= bufferStart_ && t <= bufferStart_ + static_cast<uint64_t>(egptr() - eback())) {
      setg(eback(), eback() + (t - bufferStart_), egptr());
    } else {
      bufferStart_ = t;
      setg(buffer_, buffer_, buffer_);
    }
    return pos;
  }

  std::streamsize showmanyc() override {
    uint64_t pos = Position();
    return pos >= length_ ? -1 : static_cast<std::streamsize>(length_ - pos);
  }

 private:
  uint64_t Position() const { return bufferStart_ + static_cast<uint64_t>(gptr() - eback()); }

  std::unique_ptr<std::istream> file_;
  uint64_t begin_;
  uint64_t length_;
  uint64_t bufferStart_ = 0;  // position of eback() within the span
  char buffer_[16384];
};

// An input stream that owns its buffer object.
class OwningStream : public std::istream {
 public:
  explicit OwningStream(std::unique_ptr<std::streambuf> buf) : std::istream(nullptr), buf_(std::move(buf)) {
    rdbuf(buf_.get());
  }

 private:
  std::unique_ptr<std::streambuf> buf_;
};

}  // namespace

OpenedStream OpenedStream::InMemory(std::unique_ptr<char[]> contents, uint32_t length) {
  OpenedStream result;
  result.stream = MakeMemoryStream(contents.get(), length);
  result.buffer = std::move(contents);
  result.length = length;
  return result;
}

std::unique_ptr<InputStream> MakeMemoryStream(const char* data, size_t length) {
  return std::make_unique<OwningStream>(std::make_unique<MemoryBuf>(data, length));
}

std::unique_ptr<InputStream> MakeBoundedStream(std::unique_ptr<std::istream> file, uint64_t begin,
                                               uint64_t length) {
  return std::make_unique<OwningStream>(std::make_unique<BoundedFileBuf>(std::move(file), begin, length));
}

bool ReadExactly(std::istream& in, char* out, uint64_t length) {
  while (length > 0) {
    std::streamsize piece = static_cast<std::streamsize>(std::min<uint64_t>(length, kReadPiece));
    in.read(out, piece);
    if (in.gcount() != piece) return false;
    out += piece;
    length -= static_cast<uint64_t>(piece);
  }
  return true;
}

bool ReadHostFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) return false;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return false;
  out = text.str();
  return true;
}

}  // namespace tarn

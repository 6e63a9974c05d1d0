#include "platform/headless/headless_platform.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "platform/hostfs.h"

namespace tarn {

namespace {

bool ParseMouseButton(const std::string& word, int& button) {
  if (word == "left") button = 0;
  else if (word == "right") button = 1;
  else if (word == "middle") button = 2;
  else return false;
  return true;
}

bool ParseFlag(std::istringstream& in, int& value) {
  std::string word;
  if (!(in >> word) || (word != "0" && word != "1")) return false;
  value = word == "1";
  return true;
}

}  // namespace

HeadlessPlatform::HeadlessPlatform(const HeadlessOptions& options, FILE* out)
    : options_(options), out_(out) {
  stepNs_ = static_cast<int64_t>(std::llround(options.dt * 1e9));
  answers_.assign(options.answers.begin(), options.answers.end());
}

HeadlessPlatform::~HeadlessPlatform() {
  if (audio_) audio_->Detach();
  FinishShots();
}

int HeadlessPlatform::FinishShots() {
  TakeShots(passesDone_);
  // Passes the run never reached.
  for (const auto& shot : options_.shots) {
    fprintf(stderr, "tarn-headless: the run ended before pass %d; no shot %s\n", shot.first, shot.second.c_str());
    ++failedShots_;
  }
  options_.shots.clear();
  return failedShots_;
}

void HeadlessPlatform::PresentPixels(const uint8_t* bgra, int width, int height) {
  frame_.assign(bgra, bgra + static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  frameWidth_ = width;
  frameHeight_ = height;
}

// Saves the frames of every requested pass up to 'throughPass' that has
// ended: the image is whatever was presented last.
void HeadlessPlatform::TakeShots(int throughPass) {
  auto& shots = options_.shots;
  while (!shots.empty() && shots.begin()->first <= throughPass) {
    const std::string& file = shots.begin()->second;
    if (frame_.empty() || !saver_ || !saver_(file, frame_.data(), frameWidth_, frameHeight_)) {
      fprintf(stderr, "tarn-headless: could not save the shot of pass %d to %s\n", shots.begin()->first,
              file.c_str());
      ++failedShots_;
    }
    shots.erase(shots.begin());
  }
}

bool HeadlessPlatform::LoadEvents(const std::string& text, std::string& error) {
  std::istringstream lines(text);
  std::string line;
  int lineNo = 0;
  while (std::getline(lines, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    std::istringstream in(line);
    int pass = 0;
    std::string event;
    std::vector<Message> messages;
    bool ok = static_cast<bool>(in >> pass >> event) && pass >= 1;
    Message m;
    if (ok && event == "focus") {
      ok = ParseFlag(in, m.param);
      m.type = MsgType::ActivateApp;
      messages.push_back(m);
    } else if (ok && event == "minimize") {
      ok = ParseFlag(in, m.param);
      m.type = MsgType::Size;
      messages.push_back(m);
    } else if (ok && event == "close") {
      messages.push_back({MsgType::SysCommandClose, 0, 0, 0});
      messages.push_back({MsgType::Close, 0, 0, 0});
    } else if (ok && event == "endsession") {
      messages.push_back({MsgType::QueryEndSession, 0, 0, 0});
      messages.push_back({MsgType::Close, 0, 0, 0});
    } else if (ok && (event == "keydown" || event == "keyup")) {
      std::string name;
      ok = static_cast<bool>(in >> name) && keyCode_;
      int code = ok ? keyCode_(name) : 255;
      ok = ok && code != 255;
      messages.push_back(KeyMessage(event == "keydown" ? MsgType::KeyDown : MsgType::KeyUp, code));
    } else if (ok && event == "mousemove") {
      ok = static_cast<bool>(in >> m.x >> m.y);
      m.type = MsgType::MouseMove;
      messages.push_back(m);
    } else if (ok && (event == "mousedown" || event == "mouseup")) {
      std::string button;
      ok = (in >> button) && ParseMouseButton(button, m.param);
      m.type = event == "mousedown" ? MsgType::MouseDown : MsgType::MouseUp;
      messages.push_back(m);
    } else if (ok && event == "wheel") {
      ok = (in >> m.param) && (m.param == 1 || m.param == -1);
      m.type = MsgType::MouseWheel;
      messages.push_back(m);
    } else {
      ok = false;
    }
    if (!ok) {
      error = "line " + std::to_string(lineNo) + ": cannot read event \"" + line + "\"";
      return false;
    }
    for (const Message& message : messages) scripted_.emplace(pass, message);
  }
  return true;
}

bool HeadlessPlatform::CreateWindow(const WindowRequest& request) {
  hasWindow_ = true;
  clientWidth_ = request.width;
  clientHeight_ = request.height;
  title_ = request.title;
  return true;
}

void HeadlessPlatform::DestroyWindow() {
  hasWindow_ = false;
  clientWidth_ = clientHeight_ = 0;
}

void HeadlessPlatform::ClientSize(int& width, int& height) const {
  width = clientWidth_;
  height = clientHeight_;
}

void HeadlessPlatform::ScreenSize(int& width, int& height) const {
  width = options_.screenWidth;
  height = options_.screenHeight;
}

bool HeadlessPlatform::PeekMessage(Message& out) {
  if (queue_.empty() && passesDone_ >= options_.frames && !quitPosted_) {
    // The run is over: end it the way closing the window does.
    quitPosted_ = true;
    TakeShots(passesDone_);
    queue_.push_back({MsgType::Quit, 0, 0, 0});
  }
  if (queue_.empty() && eventsLoadedFor_ <= passesDone_ && passesDone_ < options_.frames) {
    // Deliver the events scripted for the coming pass, once.
    int pass = passesDone_ + 1;
    eventsLoadedFor_ = pass;
    auto range = scripted_.equal_range(pass);
    for (auto it = range.first; it != range.second; ++it) queue_.push_back(it->second);
  }
  if (!queue_.empty()) {
    out = queue_.front();
    queue_.pop_front();
    return true;
  }
  // No message: the loop runs a pass now, and virtual time moves on. The
  // pass before it has ended, so its shots are due.
  TakeShots(passesDone_);
  ++passesDone_;
  AdvanceClock(stepNs_);
  return false;
}

bool HeadlessPlatform::TakeAnswer(std::string& answer) {
  if (answers_.empty()) return false;
  answer = answers_.front();
  answers_.pop_front();
  return true;
}

BoxAnswer HeadlessPlatform::ShowMessageBox(const MessageBoxRequest& request) {
  int count = std::min(BoxButtonCount(request.buttons), 3);
  int chosen = request.defaultButton >= 0 && request.defaultButton < count ? request.defaultButton : 0;
  std::string word;
  if (TakeAnswer(word)) {
    // An answer names a button by its answer word or by its label.
    for (int i = 0; i < count; ++i) {
      const std::string& label = request.buttonTexts[i];
      if (word == BoxAnswerName(BoxButtonAnswer(request.buttons, i)) ||
          (!label.empty() && strcasecmp(word.c_str(), label.c_str()) == 0))
        chosen = i;
    }
  }
  BoxAnswer answer = BoxButtonAnswer(request.buttons, chosen);
  const std::string& label = request.buttonTexts[chosen];
  Emit("box", {request.caption, request.text, label.empty() ? BoxAnswerName(answer) : label});
  return answer;
}

bool HeadlessPlatform::PerformanceFrequency(int64_t& ticksPerSecond) {
  ticksPerSecond = 1000000000;
  return true;
}

void HeadlessPlatform::Sleep(int milliseconds) {
  if (milliseconds > 0) AdvanceClock(static_cast<int64_t>(milliseconds) * 1000000);
}

void HeadlessPlatform::AdvanceClock(int64_t ns) {
  clockNs_ += ns;
  if (audio_) audio_->AdvanceTo(clockNs_);
}

std::unique_ptr<AudioOutput> HeadlessPlatform::OpenAudioOutput() {
  if (!options_.audio || audio_) return nullptr;
  const AudioFormat& format = options_.audioFormat;
  if (format.rate < 1 || format.rate > 384000 || format.channels < 1 || format.channels > 8 ||
      format.bufferFrames < 1 || format.bufferFrames > 65536) {
    return nullptr;
  }
  auto keep = static_cast<int64_t>(std::clamp(options_.audioKeepSeconds, 0.0, 3600.0) * format.rate);
  auto output = std::make_unique<HeadlessAudioOutput>(format, keep, clockNs_, [this] { audio_ = nullptr; });
  audio_ = output.get();
  return output;
}

std::string HeadlessPlatform::ProfileFolder() {
  if (!options_.profile.empty()) return options_.profile;
  const char* home = std::getenv("HOME");
  return home && *home ? home : "/tmp";
}

void HeadlessPlatform::Emit(const std::string& tag, const std::vector<std::string>& fields) {
  std::string line = tag;
  for (const std::string& field : fields) {
    line += '\t';
    for (char c : field) {
      if (c == '\n') line += "\\n";
      else line += c;
    }
  }
  line += '\n';
  fwrite(line.data(), 1, line.size(), out_);
  fflush(out_);
}

}  // namespace tarn

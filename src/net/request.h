// One HTTP request on a libcurl easy handle, driven without blocking through
// its own multi handle: prepared, started as GET or POST, then performed a
// step at a time until it ends.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tarn::net {

enum RequestState { kIdle = 0, kBusy = 1, kOk = 2, kError = 3 };

// Bounds every request keeps to, so that a request always ends and an answer
// cannot take all memory. Seconds and bytes; set by the application.
struct NetLimits {
  long connectTimeout = 20;
  long stallSeconds = 30;       // a transfer slower than 1 byte/s this long ends in error
  int64_t maxResponse = 64 << 20;
};
void SetNetLimits(const NetLimits& limits);
const NetLimits& Limits();

class NetRequest {
 public:
  static constexpr size_t kDefaultSize = 100000;

  NetRequest() = default;
  ~NetRequest();
  NetRequest(const NetRequest&) = delete;
  NetRequest& operator=(const NetRequest&) = delete;

  // 'user' empty: no authentication; 'initialSize' below 1 means 100000.
  bool Prepare(const std::string& url, const std::string& user, const std::string& password, int initialSize);
  bool AddFormValue(const std::string& name, const std::string& value);
  bool StartGet();
  bool StartPost();
  void Perform();

  RequestState State() const { return state_; }
  int32_t Id() const { return id_; }
  // The error text of a failed request, else what arrived; empty when none.
  const std::string& ErrorText() const { return errorText_; }
  const std::string& Response() const { return response_; }
  const std::string& Url() const { return url_; }

  bool keepAfterDone = false;
  std::function<void(NetRequest&)> onComplete;

 private:
  bool Start(bool post);
  static size_t Receive(char* data, size_t size, size_t count, void* self);

  RequestState state_ = kIdle;
  int32_t id_ = 0;
  void* easy_ = nullptr;   // CURL
  void* multi_ = nullptr;  // CURLM
  bool hasPostBody_ = false;
  std::string postBody_;
  std::string response_;
  bool overflowed_ = false;
  std::string url_;
  std::string credentials_;
  char errorBuffer_[256] = {};
  std::string errorText_;
};

// The next id of the process: 1, 2, ... never reused.
int32_t NextRequestId();

}  // namespace tarn::net

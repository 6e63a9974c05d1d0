#include "net/request.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>

#include "diag/log.h"

namespace tarn::net {

namespace {

NetLimits limits;
int32_t lastId = 0;

// libcurl's global set-up, once for the process, before the first handle.
void InitCurl() {
  static const bool done = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  (void)done;
}

std::string Escaped(CURL* easy, const std::string& text) {
  char* escaped = curl_easy_escape(easy, text.data(), static_cast<int>(std::min<size_t>(text.size(), INT32_MAX)));
  std::string out = escaped ? escaped : "";
  curl_free(escaped);
  return out;
}

}  // namespace

void SetNetLimits(const NetLimits& value) { limits = value; }
const NetLimits& Limits() { return limits; }

int32_t NextRequestId() {
  if (lastId == INT32_MAX) return 0;  // every id was given: no more requests
  return ++lastId;
}

NetRequest::~NetRequest() {
  if (easy_ && multi_) curl_multi_remove_handle(static_cast<CURLM*>(multi_), static_cast<CURL*>(easy_));
  if (easy_) curl_easy_cleanup(static_cast<CURL*>(easy_));
  if (multi_) curl_multi_cleanup(static_cast<CURLM*>(multi_));
}

bool NetRequest::Prepare(const std::string& url, const std::string& user, const std::string& password,
                         int initialSize) {
  if (state_ == kBusy) return false;
  if (easy_) {
    curl_multi_remove_handle(static_cast<CURLM*>(multi_), static_cast<CURL*>(easy_));
  } else {
    InitCurl();
    multi_ = curl_multi_init();
    easy_ = curl_easy_init();
    if (!multi_ || !easy_) return false;
  }
  if (id_ == 0) id_ = NextRequestId();
  if (id_ == 0) return false;
  state_ = kIdle;
  errorBuffer_[0] = 0;
  errorText_.clear();
  curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_ERRORBUFFER, errorBuffer_);
  url_ = url;
  curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_URL, url_.c_str());
  // Scripts reach web servers only: no local files or other protocols.
  curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_CONNECTTIMEOUT, limits.connectTimeout);
  curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_LOW_SPEED_TIME, limits.stallSeconds);
  curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_NOSIGNAL, 1L);
  credentials_.clear();
  curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_USERPWD, nullptr);
  if (!user.empty()) {
    credentials_ = user + ":" + password;
    curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
    curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_USERPWD, credentials_.c_str());
  }
  response_.clear();
  response_.shrink_to_fit();
  int64_t reserve = initialSize < 1 ? static_cast<int64_t>(kDefaultSize) : initialSize;
  response_.reserve(static_cast<size_t>(std::min(reserve, limits.maxResponse)));
  overflowed_ = false;
  curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_WRITEFUNCTION, &NetRequest::Receive);
  curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_WRITEDATA, this);
  curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_USERAGENT, "tarn-engine");
  curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_POST, 0L);
  curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_HTTPGET, 0L);
  curl_multi_add_handle(static_cast<CURLM*>(multi_), static_cast<CURL*>(easy_));
  keepAfterDone = true;
  return true;
}

size_t NetRequest::Receive(char* data, size_t size, size_t count, void* self) {
  NetRequest& request = *static_cast<NetRequest*>(self);
  size_t bytes = size * count;
  if (static_cast<int64_t>(request.response_.size()) + static_cast<int64_t>(bytes) > limits.maxResponse) {
    request.overflowed_ = true;
    return 0;  // ends the transfer with an error
  }
  request.response_.append(data, bytes);
  return bytes;
}

bool NetRequest::AddFormValue(const std::string& name, const std::string& value) {
  if (state_ != kIdle || !easy_) return false;
  if (hasPostBody_) {
    postBody_ += "&";
  } else {
    hasPostBody_ = true;
    postBody_.reserve(kDefaultSize);
  }
  postBody_ += Escaped(static_cast<CURL*>(easy_), name) + "=" + Escaped(static_cast<CURL*>(easy_), value);
  return true;
}

bool NetRequest::StartGet() { return Start(false); }
bool NetRequest::StartPost() { return Start(true); }

bool NetRequest::Start(bool post) {
  if (state_ != kIdle || !easy_) return false;
  if (post) {
    curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_POST, 1L);
    curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(postBody_.size()));
    curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_POSTFIELDS, postBody_.c_str());
  } else {
    curl_easy_setopt(static_cast<CURL*>(easy_), CURLOPT_HTTPGET, 1L);
  }
  state_ = kBusy;
  Perform();
  return true;
}

void NetRequest::Perform() {
  if (state_ != kBusy) return;
  int running = 0;
  CURLMcode code;
  do {
    code = curl_multi_perform(static_cast<CURLM*>(multi_), &running);
  } while (code == CURLM_CALL_MULTI_PERFORM);
  if (code != CURLM_OK) {
    state_ = kError;
  } else if (running == 0) {
    // libcurl's own verdict on the transfer counts, not only the text: a
    // refused certificate or a stalled transfer must not read as success.
    CURLcode result = CURLE_OK;
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(static_cast<CURLM*>(multi_), &left))
      if (message->msg == CURLMSG_DONE) result = message->data.result;
    if (overflowed_)
      snprintf(errorBuffer_, sizeof errorBuffer_, "Failed: the answer is larger than %lld bytes",
               static_cast<long long>(limits.maxResponse));
    else if (result != CURLE_OK && errorBuffer_[0] == 0)
      snprintf(errorBuffer_, sizeof errorBuffer_, "%s", curl_easy_strerror(result));
    if (result != CURLE_OK || overflowed_ || std::strncmp(errorBuffer_, "Failed", 6) == 0) {
      state_ = kError;
    } else {
      if (onComplete) {
        onComplete(*this);
        keepAfterDone = false;
      }
      state_ = kOk;
    }
  } else {
    return;
  }
  errorText_ = errorBuffer_;
  if (!errorText_.empty()) LogInfo("%s", errorText_.c_str());
}

}  // namespace tarn::net

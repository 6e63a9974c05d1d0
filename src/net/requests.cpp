#include "net/requests.h"

namespace tarn::net {

NetRequests& NetRequests::Instance() {
  static NetRequests requests;
  return requests;
}

NetRequest* NetRequests::Find(int32_t id) const {
  auto found = requests_.find(id);
  return found == requests_.end() ? nullptr : found->second.get();
}

int32_t NetRequests::Get(const std::string& url, const std::string& user, const std::string& password,
                         std::function<void(NetRequest&)> onComplete, int initialSize) {
  auto request = std::make_unique<NetRequest>();
  if (!request->Prepare(url, user, password, initialSize) || !request->StartGet()) return 0;
  request->onComplete = std::move(onComplete);
  int32_t id = request->Id();
  requests_[id] = std::move(request);
  return id;
}

int32_t NetRequests::PostBegin(const std::string& url, const std::string& user, const std::string& password) {
  auto request = std::make_unique<NetRequest>();
  if (!request->Prepare(url, user, password, static_cast<int>(NetRequest::kDefaultSize))) return 0;
  int32_t id = request->Id();
  requests_[id] = std::move(request);
  return id;
}

bool NetRequests::PostValue(int32_t id, const std::string& name, const std::string& value) {
  NetRequest* request = Find(id);
  return request && request->AddFormValue(name, value);
}

bool NetRequests::PostEnd(int32_t id, bool keep) {
  NetRequest* request = Find(id);
  if (!request) return false;
  request->keepAfterDone = keep;
  return request->StartPost();
}

RequestState NetRequests::Status(int32_t id) const {
  NetRequest* request = Find(id);
  return request ? request->State() : kError;
}

bool NetRequests::Output(int32_t id, std::string& out) const {
  NetRequest* request = Find(id);
  if (!request) return false;
  if (request->State() == kError) {
    out = request->ErrorText();
    return true;
  }
  out = request->Response();
  return !out.empty();
}

bool NetRequests::Release(int32_t id) { return requests_.erase(id) > 0; }

void NetRequests::UpdateRequests() {
  for (auto it = requests_.begin(); it != requests_.end();) {
    NetRequest& request = *it->second;
    request.Perform();
    bool finished = request.State() == kOk || request.State() == kError;
    if (!request.keepAfterDone && finished)
      it = requests_.erase(it);
    else
      ++it;
  }
}

}  // namespace tarn::net

// The process's HTTP requests by id: started by scripts (and the upgrade
// check), driven once per frame, dropped when finished unless kept.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "net/request.h"

namespace tarn::net {

class NetRequests {
 public:
  static NetRequests& Instance();

  // Ids, or 0 on failure.
  int32_t Get(const std::string& url, const std::string& user, const std::string& password,
              std::function<void(NetRequest&)> onComplete, int initialSize);
  int32_t PostBegin(const std::string& url, const std::string& user, const std::string& password);
  bool PostValue(int32_t id, const std::string& name, const std::string& value);
  bool PostEnd(int32_t id, bool keep);
  // kError for an unknown id.
  RequestState Status(int32_t id) const;
  // The error text of a failed request (possibly empty), else the bytes
  // received; false when there is nothing to give (unknown id, nothing yet).
  bool Output(int32_t id, std::string& out) const;
  bool Release(int32_t id);
  // Once per frame: every request takes a step; finished ones nobody keeps go.
  void UpdateRequests();
  void ReleaseAll() { requests_.clear(); }
  size_t Count() const { return requests_.size(); }

 private:
  NetRequest* Find(int32_t id) const;
  std::map<int32_t, std::unique_ptr<NetRequest>> requests_;
};

}  // namespace tarn::net

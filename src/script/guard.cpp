#include "script/guard.h"

namespace tarn {

namespace {
std::exception_ptr parked;
}

void ParkException(std::exception_ptr exception) {
  if (!parked) parked = exception;
}

int ProtectedCall(lua_State* L, int nargs, int nresults, int handler) {
  int status = lua_pcall(L, nargs, nresults, handler);
  if (parked) {
    std::exception_ptr exception = parked;
    parked = nullptr;
    if (status != 0) lua_pop(L, 1);
    std::rethrow_exception(exception);
  }
  return status;
}

}  // namespace tarn

// Loading steps that must not let a memory failure escape: a file that asks
// for more memory than the machine can give fails like any broken file, with
// the loader's own failure message.
#pragma once

#include <new>
#include <stdexcept>
#include <utility>

namespace tarn::gfx {

// The step's result, or 'failed' when it ran out of memory (bad_alloc) or
// asked for a size no container can hold (length_error).
template <typename Step, typename Result>
Result FailOnAllocationError(Step&& step, Result failed) {
  try {
    return std::forward<Step>(step)();
  } catch (const std::bad_alloc&) {
    return failed;
  } catch (const std::length_error&) {
    return failed;
  }
}

}  // namespace tarn::gfx

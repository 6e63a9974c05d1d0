// The crash handler's side that the rest of the engine calls. The full handler
// (signal report and the external reporter) arrives with its own work; for now
// the reporter start only logs what it would do.
#pragma once

#include <string>

namespace tarn {

void SetCrashDumpPath(const std::string& path);
const std::string& CrashDumpPath();

// Starts the crash reporter once per process; later calls do nothing.
void StartCrashReporter();

}  // namespace tarn

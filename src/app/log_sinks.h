// The application's log outputs: the developer console and, with create_log,
// log.txt in the write folder.
#pragma once

namespace tarn {

// Adds the console and the log.txt writer to the log's sinks, once. The
// engine's entry point calls it before anything is logged.
void InstallLogSinks();

// With create_log on, deletes log.txt from the write folder.
void ResetLog();

}  // namespace tarn

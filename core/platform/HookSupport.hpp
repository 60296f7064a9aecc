#pragma once
// What the file layer's counting and test hook (FileHook.cpp) need from the
// system, supplied by each side (Posix.cpp, Win32.cpp). Internal to core/platform/.

#include <string>

namespace vantor::platform::hook {

// Opens (appending, creating) the record file; -1 when it cannot be opened.
int openRecord(const std::string& utf8Path);
// Writes the whole text to the record (or, for handle 2, standard error); best effort.
void writeText(int handle, const std::string& text);
// Ends the process at once, as SIGKILL would: nothing is cleaned up.
[[noreturn]] void killSelf();
// Waits until a stop request arrives, at most `seconds`.
void holdUntilStopped(int seconds);
// Whether something stands at the path.
bool exists(const std::string& utf8Path);
void sleepMilliseconds(long ms);

} // namespace vantor::platform::hook

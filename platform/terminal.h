#pragma once

namespace platform {

// Waits for one key press on the console itself (no echo, no line editing,
// even when standard input is redirected) and returns its code; a key that
// reports 0 first is read again for its second code. -1 when there is no
// console to read.
int ReadKey();

}  // namespace platform

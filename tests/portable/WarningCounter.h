#pragma once
// The core build has no windows: the out-of-date warning box is replaced by a
// counter, so tests can still see when LoadCfg would have shown it.
namespace portable {
int outOfDateWarnings();
void resetOutOfDateWarnings();
} // namespace portable

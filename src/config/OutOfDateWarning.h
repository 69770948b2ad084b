#pragma once
// The modal box LoadCfg shows when the offline data are too old. Kept apart from
// the file code, which does not draw, so that the file code builds on its own.
void showOutOfDateWarning();

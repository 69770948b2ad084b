#include "WarningCounter.h"

#include "config/OutOfDateWarning.h"

namespace {
int g_warnings = 0;
}

void showOutOfDateWarning() { ++g_warnings; }

namespace portable {
int outOfDateWarnings() { return g_warnings; }
void resetOutOfDateWarnings() { g_warnings = 0; }
} // namespace portable

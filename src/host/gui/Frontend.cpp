#include "host/gui/Frontend.h"

namespace host {
namespace {
Frontend* g_frontend = nullptr;
}
void setFrontend(Frontend* f) { g_frontend = f; }
Frontend* frontend() { return g_frontend; }
} // namespace host

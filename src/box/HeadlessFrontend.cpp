#include "box/HeadlessFrontend.h"
#include "host/gfx/PngWriter.h"
#include "host/gui/Screen.h"
#include "host/platform/Log.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace box {
namespace {
std::string jsonString(const std::string& s)
{
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}
} // namespace

HeadlessFrontend::HeadlessFrontend(std::vector<ScriptStep> steps, std::string screenshotDir, std::string dumpFile)
    : m_steps(std::move(steps)), m_shotDir(std::move(screenshotDir)), m_dumpFile(dumpFile)
{
    // A script's screenshots must not be lost to a folder nobody made yet.
    if (!m_shotDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(m_shotDir, ec);
        if (ec || !std::filesystem::is_directory(m_shotDir))
            m_error = "cannot create the screenshot folder " + m_shotDir;
    }
    if (!dumpFile.empty()) {
        m_dump = std::fopen(dumpFile.c_str(), "w");
        if (!m_dump)
            m_error = "cannot write the dump file " + dumpFile + ": " + std::strerror(errno);
    }
}

HeadlessFrontend::~HeadlessFrontend()
{
    if (m_dump)
        std::fclose(m_dump);
}

bool HeadlessFrontend::ok(std::string* error) const
{
    if (!m_error.empty() && error)
        *error = m_error;
    return m_error.empty();
}

void HeadlessFrontend::present(const host::FrameView& frame)
{
    m_width = frame.width;
    m_height = frame.height;
    m_frame.resize(static_cast<size_t>(frame.width) * frame.height);
    for (int y = 0; y < frame.height; ++y)
        std::memcpy(&m_frame[static_cast<size_t>(y) * frame.width], frame.pixels + static_cast<size_t>(y) * frame.stride,
                    sizeof(uint32_t) * frame.width);
}

void HeadlessFrontend::dump(const std::string& token)
{
    if (!m_dump)
        return;
    std::fprintf(m_dump, "{\"step\":%d,\"token\":%s,\"screen\":%s}\n", m_step++, jsonString(token).c_str(),
                 host::describeScreen().c_str());
    checkDump();
}

void HeadlessFrontend::checkDump()
{
    // A full disk shows at the flush; one report is enough.
    if ((std::fflush(m_dump) != 0 || std::ferror(m_dump)) && !m_dumpFailed) {
        m_dumpFailed = true;
        m_outputErrors.push_back("cannot write the dump file " + m_dumpFile + ": " + std::strerror(errno));
        host::logMessage("box", "%s", m_outputErrors.back().c_str());
    }
}

void HeadlessFrontend::screenshot(const std::string& name)
{
    host::refreshScreen();
    if (m_shotDir.empty() || m_frame.empty())
        return;
    std::string file = m_shotDir + "/" + name + ".png";
    host::FrameView view{m_frame.data(), m_width, m_height, m_width};
    if (!host::writePng(file, view)) {
        m_outputErrors.push_back("cannot write screenshot " + file);
        host::logMessage("box", "cannot write screenshot %s", file.c_str());
    }
}

host::InputEvent HeadlessFrontend::nextInput()
{
    // The previous input has been handled and the screen repainted: record the result.
    if (m_pending)
        dump(m_pendingToken);
    m_pending = true;
    while (m_next < m_steps.size()) {
        const ScriptStep& step = m_steps[m_next++];
        m_pendingToken = step.token;
        host::InputEvent ev;
        switch (step.kind) {
        case ScriptStep::Kind::Shot:
            screenshot(step.text);
            dump(step.token);
            continue;
        case ScriptStep::Kind::Text:
            ev.kind = host::InputEvent::Kind::Text;
            ev.text = step.text;
            return ev;
        case ScriptStep::Kind::Key:
            ev.kind = host::InputEvent::Kind::Key;
            ev.key = step.key;
            return ev;
        }
    }
    // The script ran out: leave the plug-in the way a user would, but not forever.
    if (++m_exitPresses > kMaxExitPresses) {
        host::logMessage("box", "the plug-in did not return after %d presses of exit; giving up", kMaxExitPresses);
        if (m_dump)
            std::fflush(m_dump);
        std::_Exit(3);
    }
    m_pendingToken = "(exit)";
    host::InputEvent ev;
    ev.kind = host::InputEvent::Kind::Key;
    ev.key = eRCKey::Exit;
    return ev;
}

void HeadlessFrontend::finish(int pluginResult)
{
    if (m_pending)
        dump(m_pendingToken);
    m_pending = false;
    if (m_dump) {
        std::fprintf(m_dump, "{\"step\":%d,\"token\":\"(end)\",\"plugin_exec\":%d,\"screen\":%s}\n", m_step++,
                     pluginResult, host::describeScreen().c_str());
        checkDump();
    }
}

} // namespace box

#pragma once
// The display for scripts and tests: keys come from a key script, screenshots
// are PNG files, and after every step a JSON line describes what is on screen.
#include "box/KeyScript.h"
#include "host/gui/Frontend.h"

#include <cstdio>
#include <string>
#include <vector>

namespace box {

class HeadlessFrontend : public host::Frontend {
public:
    // How often exit is pressed after the script ran out before the box gives up.
    static constexpr int kMaxExitPresses = 40;

    HeadlessFrontend(std::vector<ScriptStep> steps, std::string screenshotDir, std::string dumpFile);
    ~HeadlessFrontend() override;

    bool ok(std::string* error) const;
    void present(const host::FrameView& frame) override;
    host::InputEvent nextInput() override;

    // A last dump line once the plug-in has returned.
    void finish(int pluginResult);
    bool scriptCompleted() const { return m_next >= m_steps.size(); }
    // What could not be written during the run (dump lines, screenshots); empty when all was.
    const std::vector<std::string>& outputErrors() const { return m_outputErrors; }

private:
    void dump(const std::string& token);
    void checkDump();
    void screenshot(const std::string& name);

    std::vector<ScriptStep> m_steps;
    size_t m_next = 0;
    std::string m_shotDir;
    FILE* m_dump = nullptr;
    std::string m_error;
    std::string m_dumpFile;
    std::vector<std::string> m_outputErrors;
    bool m_dumpFailed = false;
    int m_step = 0;
    std::string m_pendingToken = "(start)";
    bool m_pending = true;
    int m_exitPresses = 0;
    std::vector<uint32_t> m_frame;
    int m_width = 0, m_height = 0;
};

} // namespace box

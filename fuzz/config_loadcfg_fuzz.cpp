// LoadCfg over arbitrary file contents: whatever the file holds, reading it must
// neither crash nor store past a table, and WriteCfg must cope with the result.
#include "config/ConfigFile.h"
#include "frame/globals.h"
#include "host/gui/Frontend.h"
#include "host/platform/FileSystem.h"
#include "host/platform/Log.h"
#include "host/service/eServiceInterface.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// Closes every out-of-date warning at once.
class OkRemote : public host::Frontend {
public:
    void present(const host::FrameView&) override {}
    host::InputEvent nextInput() override
    {
        host::InputEvent e;
        e.key = ++m_inputs % 50 == 0 ? eRCKey::Exit : eRCKey::Ok;
        return e;
    }

private:
    unsigned m_inputs = 0;
};

time_t fixedNow() { return 2000000000; }

const std::string& fuzzRoot()
{
    static const std::string root = [] {
        // Every run writes and syncs the file twice: point TMPDIR at a memory file system for speed.
        std::string pattern = (std::filesystem::temp_directory_path() / "orvalis-cfgfuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            abort();
        return pattern;
    }();
    return root;
}

void setUpOnce()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    host::setLogQuiet(true);
    host::setFileSystemRoot(fuzzRoot());
    host::makeDirectories("/var/tuxbox/plugins");
    static OkRemote remote;
    host::setFrontend(&remote);
    setConfigClock(fixedNow);
    // A known EPG service, so the namespace lookup runs too.
    eServiceInterface::getInstance()->addService(
        {eServiceReference(eString("1:0:1:6d66:437:1:c00000:0:0:0:")), "EPG", "", 0});
}

std::string readAll(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    setUpOnce();
    std::string file = host::hostPath("/var/tuxbox/plugins/orvalis.cfg");
    FILE* f = fopen(file.c_str(), "wb");
    if (!f)
        abort();
    fwrite(data, 1, size, f);
    fclose(f);

    LoadCfg();
    if (nb_search < 0 || nb_search > kMaxSearches || nb_channels < 0 || nb_channels > kMaxChannels)
        abort();
    WriteCfg();

    // What WriteCfg wrote is the settings' canonical form: reading it back and
    // writing again must give the same bytes.
    std::string first = readAll(file);
    LoadCfg();
    WriteCfg();
    if (readAll(file) != first)
        abort();
    return 0;
}

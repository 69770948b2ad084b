// Yellow in the main window: a service from the bouquets, the event running on it now,
// and the timer editor pre-filled with "service/event - short text" and its duration.
#include "../host/FakeFrontend.h"

#include "frame/globals.h"
#include "host/gui/Screen.h"
#include "host/platform/FileSystem.h"
#include "host/service/BoxClock.h"
#include "host/service/TimerStore.h"
#include "host/service/eEPGCache.h"
#include "host/service/eServiceInterface.h"
#include "host/service/eZapMain.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <memory>

extern "C" int plugin_exec(void*);

namespace {

const char* kRefs[] = {"1:0:1:1F40:BB9:13E:820000:0:0:0:", "1:0:1:64:BB9:13E:820000:0:0:0:",
                       "1:0:1:65:BB9:13E:820000:0:0:0:", "1:0:1:66:BB9:13E:820000:0:0:0:"};
const char* kNames[] = {"Orvalis EPG", "Uno", "Due", "Tre"};

eServiceReference ref(int i) { return eServiceReference(eString(kRefs[i])); }

class BouquetTimer : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/orvalisbouquetXXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_root = tmpl;
        host::setFileSystemRoot(m_root);
        host::TimerStore::instance().load();
        auto* si = eServiceInterface::getInstance();
        si->clear();
        eServiceInterface::Bouquet bouquet;
        bouquet.name = "Sat";
        for (int i = 0; i < 4; ++i) {
            si->addService({ref(i), kNames[i], "", 0});
            bouquet.services.push_back(ref(i));
        }
        si->addBouquet(bouquet);
        si->service = ref(0);
        eEPGCache::instance->clear();
        host::BoxClock::instance().useStreamTime(false);
        readThCh = false;
    }
    void TearDown() override
    {
        // The plug-in keeps its globals between runs; later tests expect start-up values.
        LastService = eServiceReference();
        eEPGCache::instance->clear();
        eServiceInterface::getInstance()->clear();
        host::setFileSystemRoot("");
        std::system(("rm -rf " + m_root).c_str());
    }
    // An event running now on service i: started ten minutes ago.
    void running(int i, const char* name, const char* text, int duration)
    {
        EITEvent e;
        e.event_id = 10 + i;
        e.start_time = time(nullptr) - 600;
        e.duration = duration;
        auto d = std::make_unique<ShortEventDescriptor>();
        d->event_name = name;
        d->text = text;
        e.descriptor.push_back(std::move(d));
        eEPGCache::instance->addEvent(ref(i), e);
    }
    // Yellow, the keys in the service selector, OK on "Add timer", exit: the timer added.
    const host::Timer* addVia(std::initializer_list<eRCKey> selectorKeys)
    {
        const size_t before = host::TimerStore::instance().timers().size();
        FakeFrontend fe;
        fe.key(eRCKey::Yellow);
        for (eRCKey k : selectorKeys)
            fe.key(k);
        fe.key(eRCKey::Ok).key(eRCKey::Exit);
        EXPECT_EQ(plugin_exec(nullptr), 0);
        const auto& timers = host::TimerStore::instance().timers();
        return timers.size() == before + 1 ? &timers.back() : nullptr;
    }
    std::string m_root;
};

TEST_F(BouquetTimer, DescriptionJoinsServiceEventAndShortTextAndTakesTheDuration)
{
    running(1, "News", "Headlines", 3600);
    const time_t before = time(nullptr);
    const host::Timer* t = addVia({eRCKey::Down, eRCKey::Ok});
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->service, ref(1));
    EXPECT_EQ(t->description, "Uno/News - Headlines");
    // From now to the event's end: ten of its sixty minutes are over.
    EXPECT_EQ(t->duration, 3000);
    // Starts now (the editor keeps hours and minutes).
    EXPECT_LE(t->start, time(nullptr));
    EXPECT_GT(t->start, before - 60);
    EXPECT_EQ(eServiceInterface::getInstance()->outstandingRefs(), 0);
}

TEST_F(BouquetTimer, ShortTextEqualToTheNameOrEmptyIsLeftOut)
{
    running(1, "News", "News", 1800);
    running(2, "Film", "", 5400);
    const host::Timer* same = addVia({eRCKey::Down, eRCKey::Ok});
    ASSERT_NE(same, nullptr);
    EXPECT_EQ(same->description, "Uno/News");
    EXPECT_EQ(same->duration, 1200);
    // The next one would overlap it on another service, which the editor asks about.
    ASSERT_TRUE(host::TimerStore::instance().remove(0));
    eServiceInterface::getInstance()->service = ref(0);
    const host::Timer* empty = addVia({eRCKey::Down, eRCKey::Down, eRCKey::Ok});
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->description, "Due/Film");
    EXPECT_EQ(empty->duration, 4800);
}

TEST_F(BouquetTimer, NoRunningEventOpensTheEditorWithoutDurationAndItRefusesToStoreNoLength)
{
    // An event that ended a minute ago is not running.
    EITEvent past;
    past.start_time = time(nullptr) - 3660;
    past.duration = 3600;
    eEPGCache::instance->addEvent(ref(3), past);
    FakeFrontend fe;
    fe.key(eRCKey::Yellow).key(eRCKey::Down).key(eRCKey::Down).key(eRCKey::Down).key(eRCKey::Ok);
    std::string editor, refusal;
    fe.then([&] { editor = host::describeScreen(); });
    fe.key(eRCKey::Ok); // green field: Add timer
    fe.then([&] { refusal = host::describeScreen(); });
    fe.key(eRCKey::Ok).key(eRCKey::Exit).key(eRCKey::Exit);
    EXPECT_EQ(plugin_exec(nullptr), 0);
    EXPECT_NE(editor.find("Tre/no description is available"), std::string::npos);
    EXPECT_NE(refusal.find("The timer has no length. Enter its length in minutes."), std::string::npos);
    EXPECT_TRUE(host::TimerStore::instance().timers().empty());
}

TEST_F(BouquetTimer, LeavingTheSelectorUsesThePlayingServiceAndAnUnknownOneOpensNothing)
{
    eServiceInterface::getInstance()->service = ref(2);
    running(2, "Film", "Drama", 5400);
    const host::Timer* t = addVia({eRCKey::Exit});
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->service, ref(2));
    EXPECT_EQ(t->description, "Due/Film - Drama");

    // Playing a service the box has no record of: no editor, so OK falls on the main window.
    eServiceInterface::getInstance()->service = eServiceReference(eString("1:0:1:99:BB9:13E:820000:0:0:0:"));
    const size_t before = host::TimerStore::instance().timers().size();
    FakeFrontend fe;
    fe.key(eRCKey::Yellow).key(eRCKey::Exit);
    fe.then([] { EXPECT_NE(host::describeScreen().find("\"class\":\"eOrvalis\""), std::string::npos); });
    fe.key(eRCKey::Exit);
    EXPECT_EQ(plugin_exec(nullptr), 0);
    EXPECT_EQ(host::TimerStore::instance().timers().size(), before);
}

} // namespace

#include "FakeFrontend.h"

#include "host/platform/FileSystem.h"
#include "host/service/TimerStore.h"
#include "host/service/eServiceInterface.h"
#include "host/service/eTimerEditView.h"
#include "host/service/eTimerListView.h"
#include "host/service/eZapMain.h"

#include "host/gui/Screen.h"

#include <cstdlib>
#include <sys/stat.h>
#include <gtest/gtest.h>

namespace {

class ServiceWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/boxwinXXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_root = tmpl;
        host::setFileSystemRoot(m_root);
        host::TimerStore::instance().load();
        auto* si = eServiceInterface::getInstance();
        si->clear();
        for (int i = 1; i <= 3; ++i) {
            eServiceReference ref(1, 0, 1, i, 10, 20, 0x820000);
            si->addService({ref, eString("Channel ") + std::to_string(i), "", 0});
            m_first.services.push_back(ref);
        }
        m_first.name = "Sat";
        eServiceReference radio(1, 0, 2, 9, 11, 20, 0x820000);
        si->addService({radio, "Radio", "", 1});
        m_second.name = "Radio";
        m_second.services.push_back(radio);
        si->addBouquet(m_first);
        si->addBouquet(m_second);
        si->service = m_first.services[0];
    }
    void TearDown() override
    {
        eServiceInterface::getInstance()->clear();
        host::setFileSystemRoot("");
        std::system(("rm -rf " + m_root).c_str());
    }
    std::string m_root;
    eServiceInterface::Bouquet m_first, m_second;
};

TEST_F(ServiceWindows, SelectorPlaysTheChosenServiceOfTheChosenBouquet)
{
    FakeFrontend fe;
    fe.key(eRCKey::Down).key(eRCKey::Ok);
    eZapMain::instance->showServiceSelector(3, 1);
    EXPECT_EQ(eServiceInterface::getInstance()->service, m_first.services[1]);

    // Blue opens the bouquet combo; down and OK pick the second bouquet, OK the service.
    fe.key(eRCKey::Blue).key(eRCKey::Down).key(eRCKey::Ok).key(eRCKey::Ok);
    eZapMain::instance->showServiceSelector(3, 1);
    EXPECT_EQ(eServiceInterface::getInstance()->service, m_second.services[0]);

    // Leaving without a choice keeps the playing service.
    fe.key(eRCKey::Down).key(eRCKey::Exit);
    eZapMain::instance->showServiceSelector(3, 1);
    EXPECT_EQ(eServiceInterface::getInstance()->service, m_second.services[0]);
}

TEST_F(ServiceWindows, TimerEditorStoresTheProposalAndTheTimerSurvivesARestart)
{
    FakeFrontend fe;
    EITEvent event;
    event.start_time = 1796000000;
    event.duration = 6300;
    eServiceReference ref = m_first.services[2];
    ref.descr = "Channel 3/news";
    fe.key(eRCKey::Ok); // the Add button has the focus
    {
        eTimerEditView editor(event, eSystemInfo::getInstance()->getDefaultTimerType(), ref);
        editor.show();
        EXPECT_EQ(editor.exec(), 0);
        editor.hide();
    }
    auto& store = host::TimerStore::instance();
    ASSERT_EQ(store.timers().size(), 1u);
    EXPECT_EQ(store.timers()[0].description, "Channel 3/news");
    EXPECT_EQ(store.timers()[0].duration, 6300);
    EXPECT_EQ(store.timers()[0].start, event.start_time); // untouched fields keep the proposal exactly
    EXPECT_EQ(store.timers()[0].service, ref);

    store.load(); // as after a restart of the box
    ASSERT_EQ(store.timers().size(), 1u);
    EXPECT_EQ(store.timers()[0].description, "Channel 3/news");

    // Exit leaves the editor without a timer.
    fe.key(eRCKey::Exit);
    eTimerEditView editor(event, 1, ref);
    editor.show();
    EXPECT_EQ(editor.exec(), -1);
    editor.hide();
    EXPECT_EQ(store.timers().size(), 1u);
}

TEST_F(ServiceWindows, TimerListAddsWithGreenAndDeletesWithRedAfterConfirmation)
{
    FakeFrontend fe;
    // Green: a new timer with a typed description; red then No keeps it; red then Yes deletes it.
    fe.key(eRCKey::Green).key(eRCKey::Up).key(eRCKey::Up).key(eRCKey::Up).key(eRCKey::Up).text("Film").key(eRCKey::Ok);
    fe.then([&] { EXPECT_EQ(host::TimerStore::instance().timers().size(), 0u); });
    fe.key(eRCKey::Green); // Add timer
    fe.then([&] { ASSERT_EQ(host::TimerStore::instance().timers().size(), 1u); });
    fe.key(eRCKey::Red).key(eRCKey::Ok); // the question's default button is No
    fe.then([&] { EXPECT_EQ(host::TimerStore::instance().timers().size(), 1u); });
    fe.key(eRCKey::Red).key(eRCKey::Left).key(eRCKey::Ok);
    fe.key(eRCKey::Exit);
    eTimerListView list;
    list.show();
    list.exec();
    list.hide();
    EXPECT_EQ(host::TimerStore::instance().timers().size(), 0u);
    EXPECT_EQ(fe.pending(), 0u);
}

// Runs the timer editor on a proposal; true when it closed with a stored timer.
bool runEditor(const EITEvent& event, const eServiceReference& ref)
{
    eTimerEditView editor(event, 1, ref);
    editor.show();
    int result = editor.exec();
    editor.hide();
    return result == 0;
}

std::string screenText() { return host::describeScreen(); }

TEST_F(ServiceWindows, TimersThatCannotBeStoredAreReportedAndNeverListed)
{
    FakeFrontend fe;
    EITEvent event;
    event.start_time = 1796000000;
    event.duration = 3600;
    auto& store = host::TimerStore::instance();
    std::string said;

    // A read-only timer file stays as it is, and says so; the editor stays open.
    fe.key(eRCKey::Ok);
    ASSERT_TRUE(runEditor(event, m_first.services[0]));
    std::string file = host::hostPath(host::TimerStore::kFile);
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    event.start_time += 7200;
    fe.key(eRCKey::Ok).then([&] { said = screenText(); }).key(eRCKey::Ok).key(eRCKey::Exit);
    EXPECT_FALSE(runEditor(event, m_first.services[0]));
    EXPECT_NE(said.find("read-only"), std::string::npos) << said;
    EXPECT_EQ(store.timers().size(), 1u);
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    store.load();
    EXPECT_EQ(store.timers().size(), 1u);

    // No service (nothing playing) is refused with a message, not stored.
    ASSERT_EQ(chmod(file.c_str(), 0644), 0);
    fe.key(eRCKey::Ok).then([&] { said = screenText(); }).key(eRCKey::Ok).key(eRCKey::Exit);
    EXPECT_FALSE(runEditor(event, eServiceReference()));
    EXPECT_NE(said.find("A timer needs a service"), std::string::npos) << said;
    EXPECT_EQ(store.timers().size(), 1u);
}

TEST_F(ServiceWindows, TwoBoxesOnOneRootKeepEachOthersTimers)
{
    FakeFrontend fe;
    auto& store = host::TimerStore::instance();
    EITEvent event;
    event.start_time = 1796000000;
    event.duration = 3600;
    fe.key(eRCKey::Ok);
    ASSERT_TRUE(runEditor(event, m_first.services[0]));

    // The other box adds a timer after this one read the file.
    host::Timer theirs;
    theirs.service = m_first.services[0];
    theirs.description = "theirs";
    theirs.start = 1796100000;
    theirs.duration = 600;
    std::vector<host::Timer> onDisk = store.timers();
    onDisk.push_back(theirs);
    ASSERT_TRUE(host::writeFileInRoot(host::TimerStore::kFile, host::TimerStore::serialize(onDisk)));

    event.start_time = 1796200000;
    fe.key(eRCKey::Ok);
    ASSERT_TRUE(runEditor(event, m_first.services[0]));
    store.load();
    ASSERT_EQ(store.timers().size(), 3u);
    EXPECT_EQ(store.timers()[1].description, "theirs");
}

TEST_F(ServiceWindows, OverlappingTimersOnAnotherServiceAreConfirmedAndMarked)
{
    FakeFrontend fe;
    auto& store = host::TimerStore::instance();
    EITEvent event;
    event.start_time = 1796000000;
    event.duration = 3600;
    fe.key(eRCKey::Ok);
    ASSERT_TRUE(runEditor(event, m_first.services[0]));

    // The same service at an overlapping time needs no question: one tuner records it.
    event.start_time += 1800;
    fe.key(eRCKey::Ok);
    ASSERT_TRUE(runEditor(event, m_first.services[0]));
    ASSERT_EQ(store.timers().size(), 2u);

    // Another service: the question defaults to No and the editor stays; Yes adds it.
    std::string said;
    fe.key(eRCKey::Ok).then([&] { said = screenText(); }).key(eRCKey::Ok);
    fe.key(eRCKey::Ok).key(eRCKey::Left).key(eRCKey::Ok);
    ASSERT_TRUE(runEditor(event, m_first.services[1]));
    EXPECT_NE(said.find("A single tuner cannot record both."), std::string::npos) << said;
    ASSERT_EQ(store.timers().size(), 3u);

    std::string listed;
    fe.then([&] { listed = screenText(); }).key(eRCKey::Exit);
    eTimerListView list;
    list.show();
    list.exec();
    list.hide();
    size_t marks = 0;
    for (size_t at = listed.find("[overlap]"); at != std::string::npos; at = listed.find("[overlap]", at + 1))
        ++marks;
    EXPECT_EQ(marks, 3u) << listed;
}

} // namespace

#include "TempRoot.h"
#include "host/service/TimerStore.h"
#include "host/service/eEPGCache.h"
#include "host/service/eServiceInterface.h"
#include "host/service/eServiceReference.h"
#include "host/service/eZapMain.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(ServiceReference, ParsesAndWritesTheTextForm)
{
    eServiceReference r(eString("1:0:1:1A2B:05:13E:820000:0:0:0:"));
    ASSERT_TRUE(r.valid());
    EXPECT_EQ(r.type, 1);
    EXPECT_EQ(r.data[0], 1);
    EXPECT_EQ(r.data[1], 0x1A2B);
    EXPECT_EQ(r.data[2], 5);
    EXPECT_EQ(r.data[3], 0x13E);
    EXPECT_EQ(r.data[4], 0x820000);
    EXPECT_EQ(r.path, "");
    EXPECT_EQ(r.toString(), "1:0:1:1a2b:5:13e:820000:0:0:0:");
    EXPECT_EQ(eServiceReference(r.toString()), r);

    // A namespace with the top bit set survives the round trip.
    eServiceReference t(eString("1:0:19:321:3103:2114:eeee0000:0:0:0:"));
    EXPECT_EQ(t.data[4], static_cast<int>(0xEEEE0000u));
    EXPECT_EQ(t.toString(), "1:0:19:321:3103:2114:eeee0000:0:0:0:");

    eServiceReference p(eString("1:0:1:1:2:3:4:0:0:0:/media/x"));
    EXPECT_EQ(p.path, "/media/x");
}

TEST(ServiceReference, RejectsMalformedText)
{
    for (const char* bad : {"", "1:0:1", "1:0:1:1A2B:05:13E:820000:0:0", "x:0:1:1:1:1:1:0:0:0:", "1:0:1:zz:1:1:1:0:0:0:"})
        EXPECT_FALSE(eServiceReference(eString(bad)).valid()) << bad;
    EXPECT_FALSE(eServiceReference().valid());
}

TEST(ServiceReference, EqualityIgnoresTheServiceTypeOfPlainDvbReferencesOnly)
{
    eServiceReference tv(eString("1:0:1:10:20:30:820000:0:0:0:"));
    eServiceReference radio(eString("1:0:2:10:20:30:820000:0:0:0:"));
    eServiceReference otherNs(eString("1:0:1:10:20:30:eeee0000:0:0:0:"));
    eServiceReference flagged1(eString("1:64:1:10:20:30:820000:0:0:0:"));
    eServiceReference flagged2(eString("1:64:2:10:20:30:820000:0:0:0:"));
    EXPECT_EQ(tv, radio);
    EXPECT_NE(tv, otherNs);
    EXPECT_NE(flagged1, flagged2);
    EXPECT_NE(tv, flagged1);
    eServiceReference withPath(eString("1:0:1:10:20:30:820000:0:0:0:/a"));
    EXPECT_NE(tv, withPath);
}

TEST(ServiceReference, OrderingAgreesWithEquality)
{
    // Pairs that operator== tells apart must never share a map key, and equal ones must.
    const char* texts[] = {"1:0:1:10:20:30:820000:0:0:0:", "1:0:2:10:20:30:820000:0:0:0:",
                           "1:64:1:10:20:30:820000:0:0:0:", "1:64:2:10:20:30:820000:0:0:0:",
                           "1:128:1:10:20:30:820000:0:0:0:", "2:0:1:10:20:30:820000:0:0:0:",
                           "2:0:2:10:20:30:820000:0:0:0:", "1:0:1:10:20:30:820000:0:0:0:/a"};
    std::vector<eServiceReference> refs;
    for (const char* t : texts)
        refs.emplace_back(eString(t));
    for (const auto& a : refs)
        for (const auto& b : refs) {
            bool equivalent = !(a < b) && !(b < a);
            EXPECT_EQ(equivalent, a == b) << a.toString() << " vs " << b.toString();
        }
}

TEST(ServiceInterface, ReplacingAServiceKeepsTheRecordsCallersHold)
{
    auto* si = eServiceInterface::getInstance();
    si->clear();
    eServiceReference ref(eString("1:0:1:A:B:C:820000:0:0:0:"));
    si->addService({ref, "Uno", "Provider", 0});
    eService* held = si->addRef(ref);
    ASSERT_NE(held, nullptr);
    si->addService({ref, "Uno HD", "Provider", 0}); // a rescan renames it
    EXPECT_EQ(si->outstandingRefs(), 1);
    EXPECT_EQ(si->addRef(ref), held);
    EXPECT_EQ(held->service_name, "Uno HD");
    si->removeRef(ref);
    si->removeRef(ref);
    EXPECT_EQ(si->outstandingRefs(), 0);
    si->clear();
}

TEST(ServiceInterface, AddRefFindsKnownServicesAndCountsUses)
{
    auto* si = eServiceInterface::getInstance();
    si->clear();
    eServiceReference ref(eString("1:0:1:A:B:C:820000:0:0:0:"));
    si->addService({ref, "Uno", "Provider", 0});
    eService* s = si->addRef(eServiceReference(eString("1:0:1:A:B:C:820000:0:0:0:")));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->service_name, "Uno");
    ASSERT_NE(s->dvb, nullptr);
    EXPECT_EQ(s->dvb->dvb_namespace.get(), 0x820000);
    EXPECT_EQ(si->outstandingRefs(), 1);
    si->removeRef(ref);
    EXPECT_EQ(si->outstandingRefs(), 0);
    si->removeRef(ref); // an extra release never goes negative
    EXPECT_EQ(si->outstandingRefs(), 0);
    EXPECT_EQ(si->addRef(eServiceReference(eString("1:0:1:A:B:D:820000:0:0:0:"))), nullptr);
    si->clear();
}

TEST(ZapMain, PlayServiceTunesToTheTransponderCarryingIt)
{
    auto* si = eServiceInterface::getInstance();
    si->clear();
    eServiceReference a(eString("1:0:1:1:1:1:820000:0:0:0:"));
    eServiceReference b(eString("1:0:1:2:2:1:820000:0:0:0:"));
    si->addService({a, "A", "", 0});
    si->addService({b, "B", "", 3});
    std::vector<int> tuned;
    eZapMain::instance->setTuner([&](const eServiceReference&, int t) { tuned.push_back(t); });
    eZapMain::instance->playService(b, 0x28);
    eZapMain::instance->playService(eServiceReference(eString("1:0:1:9:9:9:0:0:0:0:")), 0x28);
    EXPECT_EQ(tuned, (std::vector<int>{3, -1}));
    EXPECT_EQ(si->service, eServiceReference(eString("1:0:1:9:9:9:0:0:0:0:")));
    eZapMain::instance->setTuner({});
    si->clear();
}

TEST(EpgCache, LookupFindsTheRunningEventAsACopy)
{
    eServiceReference ref(eString("1:0:1:5:5:5:820000:0:0:0:"));
    EITEvent e;
    e.event_id = 7;
    e.start_time = 1000;
    e.duration = 600;
    auto d = std::make_unique<ShortEventDescriptor>();
    d->event_name = "News";
    d->text = "Headlines";
    e.descriptor.push_back(std::move(d));
    eEPGCache::instance->addEvent(ref, e);
    EXPECT_EQ(eEPGCache::instance->lookupEvent(ref, 999), nullptr);
    EXPECT_EQ(eEPGCache::instance->lookupEvent(ref, 1600), nullptr);
    std::unique_ptr<EITEvent> found(eEPGCache::instance->lookupEvent(ref, 1599));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->event_id, 7);
    eString name, text;
    EXPECT_TRUE(LocalEventData().getLocalData(found.get(), &name, &text));
    EXPECT_EQ(name, "News");
    EXPECT_EQ(text, "Headlines");
    eEPGCache::instance->clear();
}

TEST(TimerStore, SerializationKeepsOddDescriptionsAndSkipsDamagedLines)
{
    host::Timer t;
    t.service = eServiceReference(eString("1:0:1:1A:5:13E:820000:0:0:0:"));
    t.description = "Uno/news\tat\\nine\nsecond line";
    t.start = 1796000000;
    t.duration = 6300;
    t.type = 1;
    std::string text = host::TimerStore::serialize({t, t});
    text = "garbage line\n" + text + "1\t2\n";
    auto back = host::TimerStore::parse(text);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].description, t.description);
    EXPECT_EQ(back[0].service, t.service);
    EXPECT_EQ(back[0].start, t.start);
    EXPECT_EQ(back[0].duration, 6300);
    EXPECT_EQ(back[0].type, 1);

    // Numbers out of range or not numbers at all damage their line only.
    const std::string ref = "\t1:0:1:1a:5:13e:820000:0:0:0:\tx\n";
    std::string odd = "9223372036854775000\t60\t0" + ref + "1796000000\t2147483647\t0" + ref +
                      "-5\t60\t0" + ref + "17960000x0\t60\t0" + ref + "\t60\t0" + ref + "1796000000\t60\t0" + ref;
    back = host::TimerStore::parse(odd);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].start, 1796000000);
    EXPECT_EQ(back[0].duration, 60);
}

TEST(TimerStore, ATimerTheListWouldNotReadBackIsRefused)
{
    TempRoot root;
    auto& store = host::TimerStore::instance();
    ASSERT_TRUE(store.load());
    host::Timer good;
    good.service = eServiceReference(eString("1:0:1:1A:5:13E:820000:0:0:0:"));
    good.start = 1796000000;
    good.duration = 3600;
    ASSERT_TRUE(store.add(good)) << store.lastError();

    host::Timer late = good, endless = good, backwards = good, broken = good;
    late.start = static_cast<time_t>(host::TimerStore::kLatestStart) + 1; // what an overflowing proposal gives
    endless.duration = host::TimerStore::kLongestTimer + 1;
    backwards.duration = -60;
    broken.service.path = "a\tb"; // a tab would split the stored line
    for (const auto& t : {late, endless, backwards, broken}) {
        EXPECT_FALSE(store.add(t));
        EXPECT_FALSE(store.lastError().empty());
    }
    ASSERT_TRUE(store.load());
    EXPECT_EQ(store.timers(), std::vector<host::Timer>{good});
}

} // namespace

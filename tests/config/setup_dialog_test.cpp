// The setup dialog: its fields start from the settings, Save stores them, exit
// discards them, and the EPG service comes from the box's service selector.
#include "../host/FakeFrontend.h"

#include "config/eInfoSetup.h"
#include "frame/globals.h"
#include "host/gui/eButton.h"
#include "host/gui/eCheckbox.h"
#include "host/gui/eNumber.h"
#include "host/gui/eTextInputField.h"
#include "host/service/eServiceInterface.h"
#include "host/service/eZapMain.h"

#include <gtest/gtest.h>

namespace {

const char* kEpg = "1:0:1:1F40:BB9:13E:820000:0:0:0:";
const char* kUno = "1:0:1:64:BB9:13E:820000:0:0:0:";
const char* kDue = "1:0:1:65:BB9:13E:c00000:0:0:0:";

template <class T>
std::vector<T*> childrenOf(eWidget& w)
{
    std::vector<T*> out;
    for (eWidget* c : w.getChildren())
        if (auto* t = dynamic_cast<T*>(c))
            out.push_back(t);
    return out;
}

// Log, Filter, EPG service and Save (check boxes are buttons too).
std::vector<eButton*> buttonsOf(eWidget& w)
{
    std::vector<eButton*> out;
    for (eButton* b : childrenOf<eButton>(w))
        if (!dynamic_cast<eCheckbox*>(b))
            out.push_back(b);
    return out;
}

class SetupDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* si = eServiceInterface::getInstance();
        si->clear();
        si->addService({eServiceReference(eString(kEpg)), "Orvalis EPG", "", 0});
        si->addService({eServiceReference(eString(kUno)), "Uno", "", 0});
        si->addService({eServiceReference(eString(kDue)), "Due", "", 0});
        si->addBouquet({"All", {eServiceReference(eString(kDue)), eServiceReference(eString(kUno))}});
        eZapMain::instance->setTuner([this](const eServiceReference& ref, int) { tuned.push_back(ref.toString()); });
        EPGService = eServiceReference(eString(kEpg));
        LastService = EPGService;
        si->service = EPGService;
        startOffs = 5;
        endOffs = 60;
        localOffs = -3600;
        offlinePath = "/hdd/orvalis/";
        offlinelog = 1;
        editcfg = false;
        readThCh = true;
        nsp_curr = "820000";
    }
    void TearDown() override
    {
        eZapMain::instance->setTuner({});
        eServiceInterface::getInstance()->clear();
    }
    std::vector<std::string> tuned;
};

TEST_F(SetupDialog, FieldsStartFromTheSettingsWithTheirRanges)
{
    eInfoSetup dialog;
    auto numbers = childrenOf<eNumber>(dialog);
    ASSERT_EQ(numbers.size(), 3u);
    EXPECT_EQ(numbers[0]->getNumber(), 5);
    EXPECT_EQ(numbers[0]->getMax(), 59);
    EXPECT_EQ(numbers[1]->getNumber(), 60);
    EXPECT_EQ(numbers[1]->getMax(), 60);
    EXPECT_EQ(numbers[2]->getNumber(), 3600); // the magnitude; the sign is the box
    EXPECT_EQ(numbers[2]->getMax(), 9999);
    EXPECT_TRUE(numbers[0]->hasFocus());
    EXPECT_EQ(numbers[0]->getHelpText(), "Press OK and type start offset value in minutes.");

    auto boxes = childrenOf<eCheckbox>(dialog);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[0]->isChecked());
    EXPECT_EQ(boxes[0]->getHelpText(), "CurrValue=-3600 (for positive value UNcheck it.)");
    EXPECT_TRUE(boxes[1]->isChecked());
    EXPECT_EQ(boxes[1]->getText(), "Use offline data.");

    auto path = childrenOf<eTextInputField>(dialog);
    ASSERT_EQ(path.size(), 1u);
    EXPECT_EQ(path[0]->getText(), "/hdd/orvalis/");
    EXPECT_EQ(path[0]->getMaxChars(), 50);

    std::vector<std::string> buttons;
    for (eButton* b : buttonsOf(dialog))
        buttons.push_back(std::string(b->getText()) + "/" + std::string(b->getShortcut()));
    EXPECT_EQ(buttons, (std::vector<std::string>{"Log/blue", "Filter/yellow", "Orvalis EPG/red", "Save/green"}));
    EXPECT_EQ(dialog.getText(), " Setup/Info");
    EXPECT_EQ(dialog.getClientSize(), eSize(480, 430));

    EPGService = eServiceReference(eString("1:0:1:9:9:9:0:0:0:0:"));
    eInfoSetup unknown;
    EXPECT_EQ(buttonsOf(unknown)[2]->getText(), "Unknown");
}

TEST_F(SetupDialog, SaveStoresTheFieldsAndExitDiscardsThem)
{
    {
        eInfoSetup dialog;
        FakeFrontend fe;
        fe.key(eRCKey::Exit);
        dialog.show();
        dialog.exec();
        dialog.hide();
    }
    EXPECT_EQ(localOffs, -3600);
    EXPECT_FALSE(editcfg);

    eInfoSetup dialog;
    auto boxes = childrenOf<eCheckbox>(dialog);
    FakeFrontend fe;
    // Untick the sign: its help text now says what Save will store.
    fe.key(eRCKey::Digit1).key(eRCKey::Digit2).key(eRCKey::Ok).then([&] {
        boxes[0]->setFocus(boxes[0]);
    });
    fe.key(eRCKey::Ok).then([&] {
        EXPECT_EQ(boxes[0]->getHelpText(), "CurrValue=3600 (for negative value check it.)");
        childrenOf<eTextInputField>(dialog)[0]->setText("/media/x");
    });
    fe.key(eRCKey::Green);
    dialog.show();
    EXPECT_EQ(dialog.exec(), 0);
    dialog.hide();
    EXPECT_EQ(startOffs, 12);
    EXPECT_EQ(localOffs, 3600);
    EXPECT_EQ(offlinelog, 1);
    EXPECT_EQ(offlinePath, "/media/x"); // stored as typed
    EXPECT_TRUE(editcfg);
    EXPECT_TRUE(tuned.empty()); // offline mode never tunes
}

TEST_F(SetupDialog, SaveInLiveModeTunesToAnEpgServiceNotPlaying)
{
    LastService = eServiceReference(eString(kUno));
    eServiceInterface::getInstance()->service = LastService;
    eInfoSetup dialog;
    FakeFrontend fe;
    // Unticking "Use offline data." tunes to the EPG service at once.
    fe.then([&] { childrenOf<eCheckbox>(dialog)[1]->setFocus(childrenOf<eCheckbox>(dialog)[1]); });
    fe.key(eRCKey::Ok).then([&] {
        ASSERT_EQ(tuned.size(), 1u);
        eServiceInterface::getInstance()->service = LastService; // the user zapped back meanwhile
    });
    fe.key(eRCKey::Green);
    dialog.show();
    dialog.exec();
    dialog.hide();
    EXPECT_EQ(offlinelog, 0);
    ASSERT_EQ(tuned.size(), 2u);
    EXPECT_EQ(eServiceReference(eString(tuned[1])), EPGService);
}

TEST_F(SetupDialog, ServiceSelectorChangesTheEpgServiceAndItsNamespace)
{
    eInfoSetup dialog;
    FakeFrontend fe;
    fe.key(eRCKey::Red).key(eRCKey::Ok); // the selector opens on Due; OK picks it
    fe.then([&] {
        EXPECT_EQ(EPGService, eServiceReference(eString(kDue)));
        EXPECT_EQ(nsp_curr, "c00000");
        EXPECT_TRUE(editcfg);
        EXPECT_FALSE(readThCh);
        EXPECT_EQ(buttonsOf(dialog)[2]->getText(), "Due");
    });
    fe.key(eRCKey::Exit);
    dialog.show();
    dialog.exec();
    dialog.hide();
    EXPECT_EQ(startOffs, 5); // exit still discards the fields
}

} // namespace

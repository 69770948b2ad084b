// The setup dialog: its fields start from the settings, Save stores them, exit
// discards them, and the EPG service comes from the box's service selector.
#include "../host/FakeFrontend.h"
#include "../host/TempRoot.h"

#include "config/eInfoSetup.h"
#include "frame/globals.h"
#include "host/gui/eButton.h"
#include "host/gui/eCheckbox.h"
#include "host/gui/eNumber.h"
#include "host/gui/eStatusBar.h"
#include "host/gui/Screen.h"
#include "host/gfx/eSkin.h"
#include "host/gui/eTextInputField.h"
#include "host/service/eServiceInterface.h"
#include "host/service/eZapMain.h"

#include <gtest/gtest.h>


namespace {

const char* kEpg = "1:0:1:1F40:BB9:13E:820000:0:0:0:";
const char* kUno = "1:0:1:64:BB9:13E:820000:0:0:0:";
const char* kDue = "1:0:1:65:BB9:13E:c00000:0:0:0:";

// The dialog's widgets of one class in creation order (check boxes are buttons too, and left out).
template <class T>
std::vector<T*> widgets(eWidget& w)
{
    std::vector<T*> out;
    for (eWidget* c : w.getChildren())
        if (auto* t = dynamic_cast<T*>(c); t && (std::is_same_v<T, eCheckbox> || !dynamic_cast<eCheckbox*>(c)))
            out.push_back(t);
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
        EPGService = LastService = si->service = eServiceReference(eString(kEpg));
        startOffs = 5;
        endOffs = 60;
        localOffs = -3600;
        offlinePath = "/hdd/orvalis/";
        offlinelog = 1;
        editcfg = false;
        readThCh = true;
    }
    void TearDown() override
    {
        eZapMain::instance->setTuner({});
        eServiceInterface::getInstance()->clear();
    }
    void run(eInfoSetup& dialog)
    {
        dialog.show();
        dialog.exec();
        dialog.hide();
    }
    std::vector<std::string> tuned;
};

TEST_F(SetupDialog, FieldsStartFromTheSettingsAndSaveStoresThem)
{
    eInfoSetup dialog;
    auto numbers = widgets<eNumber>(dialog);
    auto boxes = widgets<eCheckbox>(dialog);
    ASSERT_EQ(numbers.size(), 3u);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(numbers[0]->getMax(), 59);
    EXPECT_EQ(numbers[1]->getMax(), 60);
    EXPECT_EQ(numbers[2]->getNumber(), 3600); // the magnitude; the sign is the box
    EXPECT_TRUE(boxes[0]->isChecked());
    EXPECT_EQ(boxes[0]->getHelpText(), "CurrValue=-3600 (for positive value UNcheck it.)");
    EXPECT_TRUE(boxes[1]->isChecked());
    EXPECT_EQ(widgets<eTextInputField>(dialog)[0]->getText(), "/hdd/orvalis/");
    std::vector<std::string> buttons;
    for (eButton* b : widgets<eButton>(dialog))
        buttons.push_back(std::string(b->getText()) + "/" + std::string(b->getShortcut()));
    EXPECT_EQ(buttons, (std::vector<std::string>{"Log/blue", "Filter/yellow", "Orvalis EPG/red", "Save/green"}));
    EXPECT_TRUE(numbers[0]->hasFocus());

    FakeFrontend fe;
    // Type 12 minutes, untick the sign (its help text now says what Save stores), type a path.
    fe.key(eRCKey::Digit1).key(eRCKey::Digit2).key(eRCKey::Ok).then([&] { boxes[0]->setFocus(boxes[0]); });
    fe.key(eRCKey::Ok).then([&] {
        EXPECT_EQ(boxes[0]->getHelpText(), "CurrValue=3600 (for negative value check it.)");
        widgets<eTextInputField>(dialog)[0]->setText("/media/x");
    });
    fe.key(eRCKey::Green);
    run(dialog);
    EXPECT_EQ(startOffs, 12);
    EXPECT_EQ(localOffs, 3600);
    EXPECT_EQ(offlinePath, "/media/x"); // as typed
    EXPECT_TRUE(editcfg);
    EXPECT_TRUE(tuned.empty()); // offline mode never tunes

    EPGService = eServiceReference(eString("1:0:1:9:9:9:0:0:0:0:"));
    eInfoSetup unknown;
    EXPECT_EQ(widgets<eButton>(unknown)[2]->getText(), "Unknown");
}

TEST_F(SetupDialog, LiveModeTunesToTheEpgServiceOnUntickingAndOnSave)
{
    LastService = eServiceInterface::getInstance()->service = eServiceReference(eString(kUno));
    eInfoSetup dialog;
    FakeFrontend fe;
    eCheckbox* offline = widgets<eCheckbox>(dialog)[1];
    fe.then([&] { offline->setFocus(offline); });
    fe.key(eRCKey::Ok).then([&] {
        ASSERT_EQ(tuned.size(), 1u);
        eServiceInterface::getInstance()->service = LastService; // the user zapped back meanwhile
    });
    fe.key(eRCKey::Green);
    run(dialog);
    EXPECT_EQ(offlinelog, 0);
    ASSERT_EQ(tuned.size(), 2u);
    EXPECT_EQ(eServiceReference(eString(tuned[1])), EPGService);
}

TEST_F(SetupDialog, ServiceSelectorSetsTheEpgServiceAtOnceExitDiscardsTheFields)
{
    eInfoSetup dialog;
    FakeFrontend fe;
    fe.key(eRCKey::Digit7).key(eRCKey::Red).key(eRCKey::Ok); // the selector opens on Due; OK picks it
    fe.then([&] { EXPECT_EQ(widgets<eButton>(dialog)[2]->getText(), "Due"); });
    fe.key(eRCKey::Exit);
    run(dialog);
    EXPECT_EQ(EPGService, eServiceReference(eString(kDue)));
    EXPECT_EQ(nsp_curr, "c00000");
    EXPECT_TRUE(editcfg);
    EXPECT_FALSE(readThCh);
    EXPECT_EQ(startOffs, 5);
    EXPECT_EQ(localOffs, -3600);
}

TEST_F(SetupDialog, AChangedChannelFilterIsSavedWithoutSave)
{
    nb_channels = 3;
    for (int i = 0; i < 3; ++i) {
        channel_paths[i] = kUno;
        channFilter[i] = "1";
    }
    eInfoSetup dialog;
    FakeFrontend fe;
    fe.key(eRCKey::Yellow).key(eRCKey::Green); // the filter window, left unchanged
    fe.then([&] { EXPECT_FALSE(editcfg); });
    fe.key(eRCKey::Yellow).key(eRCKey::Ok).key(eRCKey::Green).key(eRCKey::Exit); // row 0 unticked
    run(dialog);
    EXPECT_EQ(channFilter[0], "0");
    EXPECT_TRUE(editcfg);
}

TEST_F(SetupDialog, LocalTimeOffsetsOfFourteenHoursEitherWayAreShownAndKept)
{
    for (int offset : {10800, -50400, 50400}) {
        localOffs = offset;
        eInfoSetup dialog;
        EXPECT_EQ(widgets<eNumber>(dialog)[2]->getNumber(), offset < 0 ? -offset : offset);
        FakeFrontend fe;
        fe.key(eRCKey::Green);
        run(dialog);
        EXPECT_EQ(localOffs, offset);
    }
}

TEST_F(SetupDialog, LeavingTheServiceSelectorWithoutChoosingChangesNothing)
{
    LastService = eServiceInterface::getInstance()->service = eServiceReference(eString(kUno));
    eInfoSetup dialog;
    FakeFrontend fe;
    fe.key(eRCKey::Red).key(eRCKey::Exit); // the selector, left with exit
    fe.then([&] { EXPECT_EQ(widgets<eButton>(dialog)[2]->getText(), "Orvalis EPG"); });
    fe.key(eRCKey::Exit);
    run(dialog);
    EXPECT_EQ(EPGService, eServiceReference(eString(kEpg)));
    EXPECT_FALSE(editcfg);
    EXPECT_TRUE(readThCh);
}

// A box file system of its own: the logging run creates folders in it.
class SetupDialogInRoot : public SetupDialog {
protected:
    TempRoot m_root;
};

TEST_F(SetupDialogInRoot, WithoutAnEpgServiceNothingIsTunedAndTheUserIsTold)
{
    EPGService = eServiceReference();
    LastService = eServiceInterface::getInstance()->service = eServiceReference(eString(kUno));
    ASSERT_TRUE(host::makeDirectories("/hdd/orvalis"));
    std::vector<std::string> told;
    auto note = [&] { told.push_back(host::describeScreen()); };
    eInfoSetup dialog;
    eCheckbox* offline = widgets<eCheckbox>(dialog)[1];
    FakeFrontend fe;
    fe.key(eRCKey::Blue).then(note).key(eRCKey::Ok);           // Log
    fe.then([&] { offline->setFocus(offline); });
    fe.key(eRCKey::Ok).then(note).key(eRCKey::Ok);             // "Use offline data." unticked
    fe.key(eRCKey::Green).then(note).key(eRCKey::Ok);          // Save in live mode
    run(dialog);
    EXPECT_TRUE(tuned.empty());
    ASSERT_EQ(told.size(), 3u);
    for (const auto& screen : told)
        EXPECT_NE(screen.find("No EPG service is set."), std::string::npos) << screen;
    EXPECT_EQ(offlinelog, 0);
}

TEST_F(SetupDialogInRoot, AFolderThatCannotBeMadeIsShownAsAFailure)
{
    // No /hdd in this root: one level of "mkdir" cannot make /hdd/none/orvalis.
    eInfoSetup dialog;
    widgets<eTextInputField>(dialog)[0]->setText("/hdd/none/orvalis");
    auto* status = widgets<eStatusBar>(dialog)[0];
    FakeFrontend fe;
    fe.key(eRCKey::Blue).then([&] {
        // The question comes with the failure still on screen.
        EXPECT_NE(status->getText().find("Cannot create directory"), std::string::npos) << status->getText();
        EXPECT_EQ(status->getBackgroundColor(), eSkin::getActive()->queryColor("std_dred"));
    });
    fe.key(eRCKey::Exit).key(eRCKey::Exit);
    run(dialog);
    EXPECT_NE(status->getBackgroundColor(), eSkin::getActive()->queryColor("std_green"));
}

} // namespace

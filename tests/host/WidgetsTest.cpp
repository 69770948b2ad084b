#include "FakeFrontend.h"

#include "host/gui/eCheckbox.h"
#include "host/gui/eComboBox.h"
#include "host/gui/eMessageBox.h"
#include "host/gui/eNumber.h"
#include "host/gui/eProgress.h"
#include "host/gui/eStatusBar.h"
#include "host/gui/eTextInputField.h"
#include "host/gui/eWindow.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

void* key(int k) { return reinterpret_cast<void*>(static_cast<intptr_t>(k)); }

struct WidgetFixture : ::testing::Test {
    WidgetFixture()
    {
        window.cmove(ePoint(100, 100));
        window.cresize(eSize(400, 300));
    }
    FakeFrontend fe;
    eWindow window{1};
};

TEST_F(WidgetFixture, ComboSetCurrentSignalsOnlyWhenAsked)
{
    auto* combo = new eComboBox(&window, 3);
    combo->resize(eSize(130, 35));
    std::vector<eString> picked;
    combo->selchanged.connect([&](eListBoxEntryText* e) { picked.push_back(e ? e->getText() : eString("-")); });
    combo->addEntry("Mon 08", key(1));
    auto* tue = combo->addEntry("Tue 09", key(2));
    new eListBoxEntryText(combo->getListBox(), "Wed 10", key(3));
    EXPECT_EQ(combo->getCount(), 3);
    EXPECT_EQ(combo->setCurrent(3), 0);
    EXPECT_EQ(combo->getCurrent()->getText(), "Wed 10");
    EXPECT_EQ(combo->setCurrent(9), -1);
    EXPECT_EQ(combo->getCurrent()->getText(), "Wed 10");
    combo->setCurrent(tue);
    EXPECT_TRUE(picked.empty());
    combo->setCurrent(tue, true);
    EXPECT_EQ(picked, (std::vector<eString>{"Tue 09"}));
    combo->clear();
    EXPECT_EQ(combo->getCount(), 0);
    EXPECT_EQ(combo->getCurrent(), nullptr);
}

TEST_F(WidgetFixture, ComboOpensPicksCancelsAndSteps)
{
    auto* combo = new eComboBox(&window, 3);
    combo->resize(eSize(130, 35));
    for (int i = 0; i < 5; ++i)
        combo->addEntry(eString().sprintf("entry %d", i), key(i));
    combo->setCurrent(1);
    std::vector<int> picked;
    combo->selchanged.connect([&](eListBoxEntryText* e) { picked.push_back(static_cast<int>(reinterpret_cast<intptr_t>(e->getKey()))); });
    window.show();
    bool sawOpen = false;
    // Open, move down twice, pick; open, move, cancel; step left; exit the window.
    fe.key(eRCKey::Ok).then([&] { sawOpen = combo->isOpen(); }).key(eRCKey::Down).key(eRCKey::Down).key(eRCKey::Ok);
    fe.key(eRCKey::Ok).key(eRCKey::Up).key(eRCKey::Exit);
    fe.key(eRCKey::Left).key(eRCKey::Exit);
    EXPECT_EQ(window.exec(), -1);
    EXPECT_TRUE(sawOpen);
    EXPECT_EQ(picked, (std::vector<int>{3, 2}));
    EXPECT_EQ(combo->getCurrent()->getText(), "entry 2");
    EXPECT_FALSE(combo->isOpen());
}

TEST_F(WidgetFixture, ComboStepsStopAtTheEndsWithoutSignal)
{
    auto* combo = new eComboBox(&window);
    combo->addEntry("first", key(0));
    combo->addEntry("last", key(1));
    combo->setCurrent(0);
    int signals = 0;
    combo->selchanged.connect([&](eListBoxEntryText*) { ++signals; });
    window.show();
    fe.key(eRCKey::Left).key(eRCKey::Right).key(eRCKey::Right).key(eRCKey::Exit);
    window.exec();
    EXPECT_EQ(signals, 1);
    EXPECT_EQ(combo->getCurrent()->getText(), "last");
}

TEST_F(WidgetFixture, TextFieldLetsExitCloseTheWindowWhenNotEditing)
{
    auto* field = new eTextInputField(&window);
    field->setText("abc");
    window.show();
    window.setFocus(field);
    fe.key(eRCKey::Exit).key(eRCKey::Exit);
    EXPECT_EQ(window.exec(), -1);
    EXPECT_EQ(fe.pending(), 1u); // the first exit closed the window
}

TEST_F(WidgetFixture, NumberTypingReplacesAppendsAndClampsWhenEditingEnds)
{
    int init = 5;
    auto* n = new eNumber(&window, 1, 0, 59, 2, &init, 1);
    auto* other = new eNumber(&window, 1, 0, 9999, 4, &init, 1);
    int selected = 0;
    n->selected.connect([&] { ++selected; });
    window.show();
    window.setFocus(n);
    EXPECT_EQ(n->getNumber(), 5);
    // 7 then 3: 73, clamped to 59 when the second digit ends editing.
    fe.key(eRCKey::Digit7).then([&] { EXPECT_EQ(n->getNumber(), 7); EXPECT_TRUE(n->isEditing()); });
    fe.key(eRCKey::Digit3).then([&] { EXPECT_EQ(n->getNumber(), 59); EXPECT_FALSE(n->isEditing()); });
    // A new digit replaces; OK ends editing and fires selected.
    fe.key(eRCKey::Digit4).key(eRCKey::Ok).then([&] { EXPECT_EQ(n->getNumber(), 4); });
    // Moving the focus away ends editing too: 3, 6, 0, then down.
    fe.key(eRCKey::Down).key(eRCKey::Digit3).key(eRCKey::Digit6).key(eRCKey::Digit0).key(eRCKey::Down);
    fe.key(eRCKey::Exit);
    window.exec();
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(n->getNumber(), 4);
    EXPECT_EQ(other->getNumber(), 360);
    EXPECT_FALSE(other->isEditing());
    other->setNumber(12000);
    EXPECT_EQ(other->getNumber(), 9999);
    other->setNumber(0, -3);
    EXPECT_EQ(other->getNumber(0), 0);
}

TEST_F(WidgetFixture, TextFieldKeepsAllowedCharactersUpToTheMaximum)
{
    auto* field = new eTextInputField(&window);
    field->setMaxChars(6);
    field->setUseableChars("abcdefghijklmnopqrstuvwxyz0123456789/");
    field->setText("/hdd");
    window.show();
    window.setFocus(field);
    fe.text("/Orv a").then([&] { EXPECT_TRUE(field->isEditing()); });
    fe.key(eRCKey::Exit).then([&] { EXPECT_FALSE(field->isEditing()); EXPECT_TRUE(window.isExecuting()); });
    fe.key(eRCKey::Exit);
    EXPECT_EQ(window.exec(), -1);
    // "O" and " " are not allowed; the field holds at most 6 characters.
    EXPECT_EQ(field->getText(), "/hdd/r");
}

TEST_F(WidgetFixture, TextFieldEditsAtTheCursorAndTakesDigitsOnlyWhileEditing)
{
    auto* field = new eTextInputField(&window);
    field->setUseableChars("ABCabc0123456789");
    window.show();
    window.setFocus(field);
    std::vector<const eAction*> unused;
    fe.key(eRCKey::Digit1);           // not editing: the digit is not the field's
    fe.key(eRCKey::Ok).text("abc");   // editing
    fe.key(eRCKey::Left).key(eRCKey::Left).key(eRCKey::Digit7).key(eRCKey::Backspace).key(eRCKey::Digit9);
    fe.key(eRCKey::Right).text("\xc3\xa9" "C").key(eRCKey::Ok).key(eRCKey::Exit);
    window.exec();
    EXPECT_EQ(field->getText(), "a9bCc");
    EXPECT_FALSE(field->isEditing());
}

TEST_F(WidgetFixture, CheckboxTogglesBeforeItSignals)
{
    auto* box = new eCheckbox(&window, 0, 1);
    std::vector<int> seenInSelected, seenChecked;
    box->selected.connect([&] { seenInSelected.push_back(box->isChecked()); });
    box->checked.connect([&](int c) { seenChecked.push_back(c); });
    box->setCheck(1); // no signal from the program's own change
    EXPECT_TRUE(seenInSelected.empty());
    window.show();
    fe.key(eRCKey::Ok).key(eRCKey::Ok).key(eRCKey::Exit);
    window.exec();
    EXPECT_EQ(seenInSelected, (std::vector<int>{0, 1}));
    EXPECT_EQ(seenChecked, (std::vector<int>{0, 1}));
}

TEST_F(WidgetFixture, ProgressIsClamped)
{
    eProgress p(&window);
    p.setPerc(140);
    EXPECT_EQ(p.getPerc(), 100);
    p.setPerc(-5);
    EXPECT_EQ(p.getPerc(), 0);
}

TEST_F(WidgetFixture, StatusBarFollowsFocusUnlessTextWasSetSince)
{
    auto* a = new eButton(&window);
    a->setHelpText("help a");
    auto* b = new eButton(&window);
    b->setHelpText("help b");
    auto* bar = new eStatusBar(&window);
    window.show();
    window.setFocus(a);
    EXPECT_TRUE(bar->showsHelpText());
    b->setHelpText("help b2");
    bar->setText("Logging...");
    EXPECT_FALSE(bar->showsHelpText());
    EXPECT_EQ(bar->getText(), "Logging...");
    window.setFocus(b);
    EXPECT_TRUE(bar->showsHelpText());
}

struct MessageBoxCase {
    std::vector<eRCKey> keys;
    int flags;
    int def;
    int expected;
};

class MessageBoxResult : public ::testing::TestWithParam<MessageBoxCase> {};

TEST_P(MessageBoxResult, ReturnsThePressedButton)
{
    FakeFrontend fe;
    const MessageBoxCase& c = GetParam();
    for (eRCKey k : c.keys)
        fe.key(k);
    eMessageBox box("Insert a string and push go! button.", "Empty string:", c.flags, c.def);
    box.show();
    EXPECT_EQ(box.exec(), c.expected);
    box.hide();
    EXPECT_EQ(fe.pending(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, MessageBoxResult,
    ::testing::Values(MessageBoxCase{{eRCKey::Ok}, eMessageBox::btOK | eMessageBox::iconInfo, eMessageBox::btOK, eMessageBox::btOK},
                      MessageBoxCase{{eRCKey::Exit}, eMessageBox::btOK, eMessageBox::btOK, -1},
                      // The default button has the focus first.
                      MessageBoxCase{{eRCKey::Ok}, eMessageBox::btYes | eMessageBox::btNo, eMessageBox::btNo, eMessageBox::btNo},
                      MessageBoxCase{{eRCKey::Left, eRCKey::Ok}, eMessageBox::btYes | eMessageBox::btNo, eMessageBox::btNo, eMessageBox::btYes},
                      MessageBoxCase{{eRCKey::Right, eRCKey::Right, eRCKey::Ok}, eMessageBox::btYes | eMessageBox::btNo | eMessageBox::btCancel,
                                     eMessageBox::btYes, eMessageBox::btCancel}));

TEST(MessageBox, IsCentredAndSizedToItsText)
{
    eMessageBox shortBox("Hi", "Message:", eMessageBox::btOK);
    eMessageBox longBox("Themes not found.\nCheck EPG channel. And a rather long line of text follows here.", "LOG Error:",
                        eMessageBox::btOK | eMessageBox::iconError);
    for (const eMessageBox* b : {&shortBox, &longBox}) {
        const int left = b->getPosition().x(), right = 720 - left - b->getSize().width();
        EXPECT_LE(std::abs(left - right), 1);
        const int top = b->getPosition().y(), bottom = 576 - top - b->getSize().height();
        EXPECT_LE(std::abs(top - bottom), 1);
    }
    EXPECT_GT(longBox.getSize().width(), shortBox.getSize().width());
    EXPECT_GT(longBox.getSize().height(), shortBox.getSize().height());
    EXPECT_EQ(longBox.focusedButton(), eMessageBox::btOK);
}

} // namespace

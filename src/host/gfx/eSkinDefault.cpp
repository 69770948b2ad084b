#include "host/gfx/SkinImages.h"

// The skin every box starts from: the same text as data/skins/default.skin.
namespace host {
const char* const kBuiltinSkin = R"SKIN(
# The box's default look: dark blue windows, light text, coloured key legends.
#
# Sections hold "name = value" lines; lines starting with '#' are comments.
#   [colors]       #rrggbb, or the name of a colour defined above
#   [fonts]        family, size in pixels
#   [fontfiles]    family = file (relative names are looked up in "directory")
#   [images]       builtin:folder | builtin:check | builtin:none, or a PNG file
#                  (relative names are looked up beside the skin file)
#   [decorations]  border width, frame colour [, fill colour [, focus frame colour]]
#                  ("-" leaves the fill out)
#   [values]       whole numbers the widgets use for their metrics

[colors]
desktop.background = #0a0f1e
global.background = #14264a
global.foreground = #e8ecf4
global.disabled = #7c88a0
global.focus = #2f6fc0
global.focusText = #ffffff

eWindow.frame = #5a7cb8
eWindow.titleBar = #1f3d73
eWindow.titleText = #ffffff

eLabel.frame = #2c4677
eButton.background = #1d3562
eButton.frame = #4a6aa5
eNumber.background = #0f1d3a
eNumber.editing = #27467e
eNumber.frame = #4a6aa5
eNumber.cursor = #ffd24a
eCheckBox.box = #0f1d3a
eCheckBox.tick = #7ee07e
eComboBox.arrow = #c8d4ec
eStatusBar.background = #0f1d3a
eStatusBar.foreground = #d0d8e8
eProgress.background = #0f1d3a
eProgress.foreground = #3fa3ff
eListBox.background = #10203f
eListBox.frame = #2c4677
eListBox.selected = #2f6fc0
eListBox.selectedText = #ffffff
eListBox.inactive = #26406e
eListBox.scrollbar = #5a7cb8

std_red = #d02828
std_green = #28a828
std_yellow = #d8c020
std_blue = #2850d0
std_dred = #8c1c1c
std_dgreen = #1c6e1c
std_dyellow = #8c7a10
std_dblue = #1c3a8c
std_white = #ffffff
std_black = #000000
std_gray = #8090a8

key.red = std_red
key.green = std_green
key.yellow = std_yellow
key.blue = std_blue

icon.info = #3f8fff
icon.warning = #e8b020
icon.question = #3fb060
icon.error = #e03030
icon.text = #ffffff

[fonts]
global.normal = Nimbus, 20
global.title = Nimbus Bold, 21
eListBoxEntryText = Nimbus, 20
eStatusBar = Nimbus, 18
eMessageBox = Nimbus, 20
epg.description = Nimbus, 18
lcd.menu.title = Nimbus, 18

[fontfiles]
directory = /usr/share/fonts/opentype/urw-base35
Nimbus = NimbusSans-Regular.otf
Nimbus Bold = NimbusSans-Bold.otf
Regular = NimbusSans-Regular.otf
Mono = NimbusMonoPS-Regular.otf

[images]
sselect_folder = builtin:folder
eListBoxEntryCheck = builtin:check

[decorations]
eWindow = 2, eWindow.frame
eLabel = 0, eLabel.frame
eButton = 1, eButton.frame, eButton.background, global.focus
eStatusBar = 1, eLabel.frame, eStatusBar.background
eNumber = 1, eNumber.frame, eNumber.background, global.focus
eCheckBox = 0, eButton.frame
eComboBox = 1, eButton.frame, eButton.background, global.focus
eListBox = 1, eListBox.frame, eListBox.background, eListBox.selected

[values]
eWindow.titleHeight = 32
eWindow.border = 2
eWidget.padding = 4
)SKIN";
} // namespace host

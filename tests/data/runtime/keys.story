# Keys and characters go to the focused window; modifiers are in the Shift mask, and a
# digit with Ctrl types no character; punctuation takes its US key (',' and '<' are
# VK_OEM_COMMA, 0xBC); Tab
# walks the tab order (disabled, hidden and no-tab windows are skipped) and Shift+Tab
# walks it back; neither reaches a window as a key.
control a Test.Logger 10 10 60 20
control b Test.Logger 80 10 60 20 notab
control c Test.Logger 150 10 60 20 tab=0
control d Test.Logger 10 40 60 20 disabled
--- script
key press A
focus a
key press A
type "Hi!"
type ",<"
key down LCtrl
key press 5
key up LCtrl
key press Tab
key press Tab
key down Shift
key press Tab
key up Shift
--- expect
a GotFocus
a KeyDown 65 0
a KeyPress 97
a KeyUp 65 0
a KeyDown 16 1
a KeyDown 72 1
a KeyPress 72
a KeyUp 72 1
a KeyUp 16 0
a KeyDown 73 0
a KeyPress 105
a KeyUp 73 0
a KeyDown 16 1
a KeyDown 49 1
a KeyPress 33
a KeyUp 49 1
a KeyUp 16 0
a KeyDown 188 0
a KeyPress 44
a KeyUp 188 0
a KeyDown 16 1
a KeyDown 188 1
a KeyPress 60
a KeyUp 188 1
a KeyUp 16 0
a KeyDown 17 2
a KeyDown 53 2
a KeyUp 53 2
a KeyUp 17 0
a LostFocus
c GotFocus
c LostFocus
a GotFocus
a KeyDown 16 1
a LostFocus
c GotFocus
c KeyUp 16 0

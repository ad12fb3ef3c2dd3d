# A user and a button's tooltip, step by step, with the properties set between the steps
# (which only the headless runtime can do). The tip stands below the pointer: "move 50 35"
# in the form is the screen's 150 135, where the real tips were taken.
form 100 100 400 200
control cmdSave Sheenwork.sheenButton 20 20 100 30
set cmdSave VeloToolTip="Saves the document under its current name, replacing the copy that was saved before" VeloToolTipDelay=2000
# After the initial delay the tip appears, wrapped at 240 pixels as the real tooltip
# wraps it, and stays VeloToolTipDelay ms from its showing.
--- script
move 50 35
--- expect
cmdSave MouseMove 0 0 30 15
popup none
--- script
wait 499
--- expect
popup none
--- script
wait 1
--- expect
popup 149 154 393 186 tooltip-wrapped.png
--- script
wait 1999
--- expect
popup 149 154 393 186
--- script
wait 1
--- expect
popup none
# Shown again after the pointer left and came back; a new text takes its place.
--- script
move -90 -90
wait 200
move 50 35
wait 500
--- expect
cmdSave MouseMove 0 0 30 15
popup 149 154 393 186
--- script
set cmdSave VeloToolTip="Save"
--- expect
popup 149 154 180 173
# A press hides it.
--- script
press
release
--- expect
cmdSave MouseDown 1 0 30 15
cmdSave MouseUp 1 0 30 15
cmdSave Click
cmdSave MouseEnter
cmdSave MouseMove 0 0 30 15
popup none
# Off: nothing shows; on again: the current text, staying the set time.
--- script
set cmdSave UseVeloToolTip=False
--- expect
popup none
--- script
move -90 -90
move 50 35
wait 1000
--- expect
cmdSave MouseMove 0 0 30 15
popup none
--- script
set cmdSave UseVeloToolTip=True
--- expect
popup none
--- script
move -90 -90
wait 200
move 50 35
wait 500
--- expect
cmdSave MouseLeave
cmdSave MouseMove 0 0 30 15
popup 149 154 180 173
--- script
wait 1999
--- expect
popup 149 154 180 173
--- script
wait 1
--- expect
popup none
--- script
move -90 -90
wait 200
move 50 35
wait 500
--- expect
cmdSave MouseMove 0 0 30 15
popup 149 154 180 173
# Leaving for the desktop, the tip goes at the next look for the pointer (every 100 ms),
# long before its 2000 ms are up.
--- script
move -90 -90
--- expect
popup 149 154 180 173
--- script
wait 100
--- expect
popup none

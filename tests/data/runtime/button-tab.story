# Tab walks the buttons in tab order and Shift+Tab walks back; neither reaches a button
# as a key. The focused button takes Space (pressed while held, clicked on release) and
# Enter (it shows as the default); Escape clicks the cancel button wherever the focus is.
form 100 100 300 200
control one Sheenwork.sheenButton 10 10 90 26
control two Sheenwork.sheenButton 110 10 90 26
control stop Sheenwork.sheenButton 210 10 80 26
set one Caption="&One"
set two Caption="&Two"
set stop Caption="Stop"
cancel stop
--- script
key press Tab
key press Tab
--- expect
fields two bHasFocus=True
fields one bHasFocus=False
--- script
key down Space
--- expect
two KeyDown 32 0
two KeyPress 32
fields two sState=down bSpaceDown=True
--- script
key up Space
--- expect
two Click
two KeyUp 32 0
--- script
key down Shift
key press Tab
key up Shift
--- expect
two KeyDown 16 1
one KeyUp 16 0
fields one bHasFocus=True
--- script
key press Enter
key press Escape
--- expect
one Click
stop Click
fields one bHasFocus=True

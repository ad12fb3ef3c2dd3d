# Space presses the button while held; the focus leaving resets the press but not the
# held Space; the release clicks the button that has the focus then, whichever it is.
# Held, the blue button shows its pressed fill 0x00D7E0E0 and no band.
form 100 100 300 200
control a Sheenwork.sheenButton 10 10 90 26
control b Sheenwork.sheenButton 110 10 90 26
set a Caption=""
set b Caption=""
--- script
focus a
key down Space
--- expect
a KeyDown 32 0
a KeyPress 32
fields a sState=down bSpaceDown=True bHasFocus=True
pixel a 45 13 D7E0E0
--- script
focus b
--- expect
fields a sState= bSpaceDown=True bHasFocus=False
fields b bHasFocus=True
--- script
key up Space
--- expect
b Click
b KeyUp 32 0
fields a bSpaceDown=True
fields b sState= bSpaceDown=False
--- script
key press Enter
--- expect
b Click

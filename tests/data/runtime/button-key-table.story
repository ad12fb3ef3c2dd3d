# The keyboard, focus and access-key rows, walked through the runtime by a script, with
# the events, the repaints, the direct highlights and the fields after each. o is the
# form's default and cancel button, k takes the keys.
form 100 100 300 200
control k Sheenwork.sheenButton 10 10 90 26
control o Sheenwork.sheenButton 110 10 90 26
set k Caption="&Keep"
set o Caption=""
default o
cancel o
paints k
paints o
# GotFocus while the look is shown already (the default button has it): nothing.
--- script
focus o
--- expect
fields o bHasFocus=True
# LostFocus with the look: it goes, and the press with it; GotFocus without it: the blue
# border, then the repaint. The default button, no longer focused, shows its look again
# at the ambient change the focus move brings.
--- script
focus k
--- expect
o Redraw "" ""
k drawMLine "blue"
k Redraw "" "blue"
o Redraw "" "blue"
fields k bHasFocus=True
fields o bHasFocus=True sState=
# KeyDown of Space presses; other keys only raise their events.
--- script
key down Space
key down A
key up A
--- expect
k Redraw "down" "orange"
k KeyDown 32 0
k KeyPress 32
k KeyDown 65 0
k KeyPress 97
k KeyUp 65 0
fields k sState=down bSpaceDown=True
# KeyUp of Space: the press ends, the repaint, Click, then KeyUp.
--- script
key up Space
--- expect
k Redraw "" "blue"
k Click
k KeyUp 32 0
fields k sState= bSpaceDown=False
# Enter (the focused button is the default now) and Escape (the cancel button): Click,
# no repaint.
--- script
key press Enter
key press Escape
--- expect
k Click
o Click
# The access key with the left Alt: the look, the repaint, Click.
--- script
alt k
--- expect
k KeyDown 18 4
k Redraw "" "blue"
k Click
k KeyUp 18 0
# With the right Alt alone: the left one was not pressed since the last question.
--- script
key down RAlt
key press K
key up RAlt
--- expect
k KeyDown 18 4
k KeyUp 18 0

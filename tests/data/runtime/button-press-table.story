# The mouse and hover rows of the press table, walked through the runtime by a script:
# each section is one row (or the steps that lead to it), with the events, the repaints
# (Redraw "state" "highlight", Redraw1 for a split paint's second pass), the highlights
# the handlers put on directly (drawMLine) and the fields after it. A 100 x 23 button at
# (10, 10) of a form at (100, 100), drop-down section of 12 on the right (x > 88).
form 100 100 300 200
control p Sheenwork.sheenButton 10 10 100 23
set p Caption="" DropDown=True DropDownSize=12
paints p
# The first move starts nothing new (the load left the timer on) and the pointer is not
# yet seen inside; the tick sees it; the next move enters.
--- script
move p 40 5
wait 10
move p 41 5
--- expect
p MouseMove 0 0 40 5
p MouseEnter
p Redraw "" "orange"
p MouseMove 0 0 41 5
p drawMLine "orange"
fields p bMouseOver=True bMouseEntered=True timer=on
# MouseDown, left button, not in the section: the focus (which paints its own look),
# the press refresh (nothing: pressed under the pointer), the pressed paint, MouseDown.
--- script
press
--- expect
p drawMLine "blue"
p Redraw "" "orange"
p Redraw "down" ""
p MouseDown 1 0 41 5
fields p sState=down sDropDownState= bHasFocus=True
# MouseDown while a press is held: ignored entirely.
--- script
press middle
--- expect
fields p sState=down
# MouseUp of any button: the press ends and repaints; only the left one clicks.
--- script
release middle
release
--- expect
p Redraw "" "orange"
p drawMLine "orange"
p MouseUp 4 0 41 5
p Redraw "" "orange"
p drawMLine "orange"
p MouseUp 1 0 41 5
p Click
p MouseMove 0 0 41 5
p drawMLine "orange"
fields p sState= sDropDownState= Value=False
# MouseDown of the right button: the event alone, no press; its MouseUp repaints.
--- script
press right
release right
--- expect
p MouseDown 2 0 41 5
p Redraw "" "orange"
p drawMLine "orange"
p MouseUp 2 0 41 5
p MouseMove 0 0 41 5
p drawMLine "orange"
fields p sState=
# MouseDown in the section: DropDown before the paint, which is split.
--- script
move p 95 5
press
--- expect
p MouseMove 0 0 95 5
p drawMLine "orange"
p DropDown
p Redraw "" "orange"
p Redraw1 "down" ""
p MouseDown 1 0 95 5
fields p sState=down sDropDownState=down
# MouseMove with the left button, inside, leaving the section.
--- script
move p 40 5
--- expect
p MouseMove 1 0 40 5
p Redraw "" "orange"
p drawMLine "orange"
fields p sState= sDropDownState=n
# ... and coming back into it.
--- script
move p 95 6
--- expect
p MouseMove 1 0 95 6
p Redraw "" "orange"
p Redraw1 "down" ""
fields p sState=down sDropDownState=down
# Out of the section, out of the button (x < 88 there), and the tick that sees it gone.
--- script
move p 40 7
move 50 150
wait 10
--- expect
p MouseMove 1 0 40 7
p Redraw "" "orange"
p drawMLine "orange"
p MouseMove 1 0 40 140
p drawMLine "orange"
p MouseLeave
p Redraw "" "blue"
fields p sState= sDropDownState=n bMouseOver=False bMouseEntered=False timer=off
# MouseMove with the left button while the pointer is not over the button: the section
# counts as pressed again, without a repaint; the hover border shows the press left.
--- script
move 60 150
--- expect
p MouseMove 1 0 50 140
p drawMLine "orange"
fields p sState=down sDropDownState=down timer=on
# Released outside: the press ends, no click.
--- script
release
--- expect
p Redraw "" "blue"
p drawMLine "blue"
p MouseUp 1 0 50 140
fields p sState= sDropDownState=
# MouseMove with no button held ends a press the Space key made.
--- script
key down Space
move p 50 10
key up Space
--- expect
p Redraw "down" "orange"
p KeyDown 32 0
p KeyPress 32
p MouseMove 0 0 50 10
p drawMLine "blue"
p Redraw "" "blue"
p Click
p KeyUp 32 0
fields p sState= bSpaceDown=False

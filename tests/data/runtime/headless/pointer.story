# The pointer shows what the window under it (or holding it) asks for: the hand while
# hovering a button with AutoXPMouseIcons, the clicking hand while pressing it (held,
# also away from it), then the button's own MousePointer again (the default: the arrow,
# Cursor 1); a stock pointer as it is (the cross, Cursor 2). The held button hears the
# pointer away from it; no MouseLeave comes with the move to the cross, as no tick ran.
# A button left at the default pointer (0) shows the arrow too.
form 0 0 200 100
control hand Sheenwork.sheenButton 10 10 90 26
control cross Sheenwork.sheenButton 110 10 80 26
control plain Sheenwork.sheenButton 110 50 80 26
set hand AutoXPMouseIcons=True
set cross MousePointer=2
--- script
move hand
wait 10
move hand 5 5
--- expect
hand MouseMove 0 0 45 13
hand MouseEnter
hand MouseMove 0 0 5 5
fields form cursor=hand
--- script
press
--- expect
hand MouseDown 1 0 5 5
fields form cursor=clicking-hand
--- script
move 150 90
--- expect
hand MouseMove 1 0 140 80
fields form cursor=clicking-hand
--- script
release
--- expect
hand MouseUp 1 0 140 80
fields form cursor=1
--- script
move cross
--- expect
cross MouseMove 0 0 40 13
fields form cursor=2
--- script
move plain
--- expect
plain MouseMove 0 0 40 13
fields form cursor=1

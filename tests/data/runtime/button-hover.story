# Hover as the user sees it: the first move starts the polling timer (the load left it
# running) with the pointer not yet seen inside, so no MouseEnter; the tick sees it; the
# next move raises MouseEnter and paints the hover ring; the tick that finds the pointer
# gone raises MouseLeave, repaints and stops the timer. A resting pointer costs nothing.
# Pixels of a 90 x 26 blue XP button: row 1 is the white shading line at rest and the
# hover ring's top line (0x00CFF0FF) while hovered; row 0 the rounded frame 0x00743C00.
form 100 100 300 200
control ok Sheenwork.sheenButton 10 10 90 26
set ok Caption=""
--- script
move ok 10 5
--- expect
ok MouseMove 0 0 10 5
fields ok bMouseOver=False bMouseEntered=False timer=on
pixel ok 45 1 FFFFFF
pixel ok 45 0 743C00
--- script
wait 10
--- expect
fields ok bMouseOver=True bMouseEntered=False timer=on
--- script
move ok 11 5
--- expect
ok MouseEnter
ok MouseMove 0 0 11 5
fields ok bMouseOver=True bMouseEntered=True
pixel ok 45 1 CFF0FF
pixel ok 1 13 79D2FC
--- script
wait 500
--- expect
fields ok bMouseOver=True timer=on
pixel ok 45 1 CFF0FF
--- script
move 200 150
wait 10
--- expect
ok MouseLeave
fields ok bMouseOver=False bMouseEntered=False timer=off
pixel ok 45 1 FFFFFF
--- script
wait 100
--- expect

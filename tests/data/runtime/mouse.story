# The pointer and its buttons: moves go to the window under the pointer, a press captures
# the pointer for its window until every button is up (then the window under the pointer
# hears a move to where the pointer is), and the click follows a left press and release on
# the same window with the pointer over it.
form 100 100 300 200
control a Test.Button 10 10 60 20
control b Test.Logger 80 10 60 20
--- script
move a
move 15 15
press
release
move b 2 3
press right
release right
move a 59 19
press
move b
move 300 300
release
move 5 5
--- expect
a MouseMove 0 0 30 10
a MouseMove 0 0 5 5
a MouseDown 1 0 5 5
a MouseUp 1 0 5 5
a Click
a MouseMove 0 0 5 5
b MouseMove 0 0 2 3
b MouseDown 2 0 2 3
b MouseUp 2 0 2 3
b MouseMove 0 0 2 3
a MouseMove 0 0 59 19
a MouseDown 1 0 59 19
a MouseMove 1 0 100 10
a MouseMove 1 0 290 290
a MouseUp 1 0 290 290

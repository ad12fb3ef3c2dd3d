# A second button while the first is held goes to the same window; the click needs the
# release back over the window it was pressed on; a right press on top of a left one is
# still delivered; a hidden or disabled window is not hit, the form behind it is.
control a Test.Button 10 10 60 20
control b Test.Logger 10 10 60 20 hidden
control c Test.Logger 100 10 60 20 disabled
--- script
click a 1 1
move a 5 5
press
press right
move 200 100
release right
move a 6 6
release
click c
click left c 2 2
--- expect
a MouseMove 0 0 1 1
a MouseDown 1 0 1 1
a MouseUp 1 0 1 1
a Click
a MouseMove 0 0 1 1
a MouseMove 0 0 5 5
a MouseDown 1 0 5 5
a MouseDown 2 0 5 5
a MouseMove 3 0 190 90
a MouseUp 2 0 190 90
a MouseMove 1 0 6 6
a MouseUp 1 0 6 6
a Click
a MouseMove 0 0 6 6

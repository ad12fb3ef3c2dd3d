# Escape goes to the cancel button wherever the focus is; Enter without a default button
# and without a focused button is an ordinary key.
control text Test.Logger 10 10 60 20
control no Test.Button 80 10 60 20
cancel no
--- script
focus text
key press Escape
key press Enter
--- expect
text GotFocus
no AccessKeyPress 27
text KeyDown 13 0
text KeyPress 13
text KeyUp 13 0

# Enter goes to the button shown as default: the focused button-like control, else the
# form's default button; Escape to the cancel button. Neither reaches the focused window
# as a key or a character. The shown default changes with the focus and each change is
# an ambient change for both windows. Without a cancel button Escape is an ordinary key.
control ok Test.Button 10 10 60 20
control other Test.Button 80 10 60 20
control text Test.Logger 150 10 60 20
default ok
--- script
focus text
key press Enter
key press Escape
focus other
key press Enter
focus text
--- expect
text GotFocus
ok AccessKeyPress 13
text KeyDown 27 0
text KeyPress 27
text KeyUp 27 0
text LostFocus
other GotFocus
ok AmbientChanged DisplayAsDefault not-default
other AmbientChanged DisplayAsDefault default
other AccessKeyPress 13
other LostFocus
text GotFocus
other AmbientChanged DisplayAsDefault not-default
ok AmbientChanged DisplayAsDefault default

# Alt and a character marked in a caption: the focus moves to its window, which gets the
# key; the character is not typed. Either Alt key does it here (the control decides
# about AltGr). Alt with a character no caption marks is an ordinary key that types
# nothing. A digit a caption marks works the same way (9 here, the last of them).
control save Test.Button 10 10 60 20 keys=S
control open Test.Button 80 10 60 20 keys=o
control text Test.Logger 150 10 60 20
control nine Test.Button 10 40 60 20 keys=9
--- script
focus text
alt S
alt x
key down RAlt
key press O
key up RAlt
--- expect
text GotFocus
text KeyDown 18 4
text LostFocus
save GotFocus
save AmbientChanged DisplayAsDefault default
save AccessKeyPress 115
save KeyUp 18 0
save KeyDown 18 4
save KeyDown 88 4
save KeyUp 88 4
save KeyUp 18 0
save KeyDown 18 4
save LostFocus
open GotFocus
save AmbientChanged DisplayAsDefault not-default
open AmbientChanged DisplayAsDefault default
open AccessKeyPress 111
open KeyUp 18 0
--- script
alt 9
--- expect
open KeyDown 18 4
open LostFocus
nine GotFocus
open AmbientChanged DisplayAsDefault not-default
nine AmbientChanged DisplayAsDefault default
nine AccessKeyPress 57
nine KeyUp 18 0

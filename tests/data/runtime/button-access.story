# Alt and the caption's marked letter: the focus comes, the button shows its focus look
# and clicks. With the right Alt alone (AltGr) the left Alt was not pressed since the
# control last asked, so nothing clicks; the key then reaches the button as an ordinary
# key with Alt.
form 100 100 300 200
control save Sheenwork.sheenButton 10 10 90 26
control other Sheenwork.sheenButton 110 10 90 26
set save Caption="&Save"
--- script
focus other
alt s
--- expect
other KeyDown 18 4
save Click
save KeyUp 18 0
fields save bHasFocus=True
fields other bHasFocus=False
--- script
key down RAlt
key press S
key up RAlt
--- expect
save KeyDown 18 4
save KeyUp 18 0
--- script
key down LAlt
key press X
key up LAlt
--- expect
save KeyDown 18 4
save KeyDown 88 4
save KeyUp 88 4
save KeyUp 18 0

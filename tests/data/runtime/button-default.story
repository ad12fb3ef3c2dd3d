# Enter clicks the default button and Escape the cancel button without a repaint and
# without touching the focus look; the keys do not reach the focused control. A click
# opens the wave file, then the address with its parameters as they are (blanks kept).
form 100 100 300 200
control ok Sheenwork.sheenButton 10 10 90 26
control cancel Sheenwork.sheenButton 110 10 90 26
control text Test.Logger 10 50 90 26
default ok
cancel cancel
set ok Wave=$DATA/runtime/ding.wav URL=" https://example.org/find " UrlParam="q=a b"
set cancel Wave=$DATA/runtime/missing.wav
--- script
focus text
key press Enter
key press Escape
--- expect
text GotFocus
ok Click
shell ShellExecute 257 open [$DATA/runtime/ding.wav] [] [] 0
shell ShellExecute 257 open [ https://example.org/find ] [q=a b] [] 0
cancel Click
fields ok bHasFocus=True Value=False
fields cancel bHasFocus=False

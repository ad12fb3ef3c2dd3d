# A button with a tooltip: with the pointer resting on it the tip appears once the initial
# delay (500 ms) has gone by since the pointer's last move, below the pointer; a press
# hides it and the click follows.
form 100 100 300 200
control tip Sheenwork.sheenButton 10 10 90 26
set tip Caption="&Save" VeloToolTip="Saves the file where it was opened from"
--- script
move tip 20 8
wait 700
--- expect
tip MouseMove 0 0 20 8
--- script
press
release
--- expect
tip MouseDown 1 0 20 8
tip MouseUp 1 0 20 8
tip Click
tip MouseEnter
tip MouseMove 0 0 20 8

# A handler may remove its own window or destroy its form: the notification still ends on
# live objects (the sanitizer build checks), and nothing more reaches them. A control
# named <what>Kills<When> removes its own window (Self) or destroys its form (Form) in
# the handler of <When>, then goes on using its site.
form 0 0 300 100
control SelfKillsClick Test.Button 0 0 50 50
control SelfKillsTimer Test.Button 60 0 50 50
control FormKillsMouseDown Test.Button 120 0 50 50
timer SelfKillsTimer
--- script
click SelfKillsClick
wait 30
click 10 10
--- expect
SelfKillsClick MouseMove 0 0 25 25
SelfKillsClick MouseDown 1 0 25 25
SelfKillsClick MouseUp 1 0 25 25
SelfKillsClick Click
SelfKillsClick after Click
SelfKillsTimer Timer tmrMouseIn @10
SelfKillsTimer after Timer
fields form controls=1
--- script
move 130 10
press
release
wait 20
--- expect
FormKillsMouseDown MouseMove 0 0 10 10
FormKillsMouseDown MouseDown 1 0 10 10
FormKillsMouseDown after MouseDown
fields form open=no

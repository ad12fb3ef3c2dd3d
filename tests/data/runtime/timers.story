# A 1 ms timer ticks as often as the platform allows, every 10 ms; time moves only with
# wait, and each tick runs with the clock at its due time.
control a Test.Logger 10 10 60 20
timer a on
--- script
wait 35
wait 5
--- expect
a Timer tmrMouseIn @10
a Timer tmrMouseIn @20
a Timer tmrMouseIn @30
a Timer tmrMouseIn @40

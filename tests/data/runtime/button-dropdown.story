# Press in the drop-down section, drag out of it and back, release: DropDown comes before
# MouseDown; leaving the section (still on the button) shows the normal look, coming back
# the pressed one; the release still clicks. The section of a 100 x 23 button with size
# 12 on the right starts past x = 88 (a strict comparison). Pixels: the pressed section
# shows the blue scheme's pressed fill 0x00D7E0E0 and first pressed line 0x00C1CCD1; the
# rest of the button the hover ring's top line 0x00CFF0FF.
form 100 100 300 200
control dd Sheenwork.sheenButton 10 10 100 23
set dd DropDown=True DropDownSize=12 Caption=""
--- script
move dd 95 5
wait 10
move dd 95 6
press
--- expect
dd MouseMove 0 0 95 5
dd MouseEnter
dd MouseMove 0 0 95 6
dd DropDown
dd MouseDown 1 0 95 6
fields dd sState=down sDropDownState=down bHasFocus=True
pixel dd 90 18 D7E0E0
pixel dd 90 1 C1CCD1
pixel dd 40 1 CFF0FF
--- script
move dd 40 6
--- expect
dd MouseMove 1 0 40 6
fields dd sState= sDropDownState=n
pixel dd 90 1 CFF0FF
--- script
move dd 95 7
--- expect
dd MouseMove 1 0 95 7
fields dd sState=down sDropDownState=down
pixel dd 90 1 C1CCD1
--- script
release
--- expect
dd MouseUp 1 0 95 7
dd Click
dd MouseMove 0 0 95 7
fields dd sState= sDropDownState= Value=False
--- script
move dd 88 5
press
release
--- expect
dd MouseMove 0 0 88 5
dd MouseDown 1 0 88 5
dd MouseUp 1 0 88 5
dd Click
dd MouseMove 0 0 88 5

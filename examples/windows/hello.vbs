' The library's automation objects from a script, after `regsvr32 sheenwork.dll`:
'   cscript //nologo hello.vbs
Dim folder, ev, errors
folder = Left(WScript.ScriptFullName, InStrRev(WScript.ScriptFullName, "\"))
Set errors = CreateObject("Sheenwork.Error")
errors.SilentError = False                 ' a failing routine shows its message box
Set ev = CreateObject("Sheenwork.SpEv")
ev.TextSave folder & "hello.txt", "Hello from Sheenwork"
WScript.Echo ev.TextRead(folder & "hello.txt")
WScript.Echo "hello.txt is there: " & ev.FileExists(folder & "hello.txt")

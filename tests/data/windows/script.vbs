' SpEv and Error created by their ProgIDs, as a script creates them: each routine of SpEv
' and the error policy, one result a line. tests/data/windows/script.txt holds what must
' come out. The test prepares C:\sheenwork-script\ (with logs\ as the error log folder)
' and registers an outside error component that writes its arguments to C:\raised.txt.
Option Explicit

' A list control as late binding sees one.
Class ListBox
    Private items
    Private count
    Private Sub Class_Initialize()
        count = 0
        items = Array()
    End Sub
    Public Property Get ListCount()
        ListCount = count
    End Property
    Public Property Get List(i)
        List = items(i)
    End Property
    Public Sub AddItem(text)
        ReDim Preserve items(count)
        items(count) = text
        count = count + 1
    End Sub
End Class

Function Lines(text)
    Lines = Replace(text, vbCrLf, "|")
End Function

Dim e1, e2, s, folder, l, m, silent, reported, log

' One switch for the whole process: set through one object, seen through every other; a
' new object leaves it as it is.
Set e1 = CreateObject("Sheenwork.Error")
WScript.Echo "SilentError " & e1.SilentError
Set e2 = CreateObject("Sheenwork.Error")
e2.SilentError = True
WScript.Echo "SilentError seen by the first " & e1.SilentError
Set e2 = CreateObject("Sheenwork.Error")
WScript.Echo "SilentError after a third " & e2.SilentError
e1.SilentError = False

Set s = CreateObject("Sheenwork.SpEv")
folder = "C:\sheenwork-script\"
s.TextSave folder & "a.txt", "one" & vbCrLf & "two"
WScript.Echo "TextRead [" & Lines(s.TextRead(folder & "a.txt")) & "]"
s.TextSave folder & "empty.txt", ""
WScript.Echo "TextRead empty [" & s.TextRead(folder & "empty.txt") & "]"
Set l = New ListBox
l.AddItem "a"
l.AddItem "b"
s.ListSave l, folder & "list.txt", "[", "]"
WScript.Echo "ListSave [" & Lines(s.TextRead(folder & "list.txt")) & "]"
s.ListSave l, folder & "plain.txt"
WScript.Echo "ListSave plain [" & Lines(s.TextRead(folder & "plain.txt")) & "]"
Set m = New ListBox
m.AddItem "kept"
s.ListRead m, folder & "list.txt"
WScript.Echo "ListRead " & m.ListCount & " " & m.List(0) & " " & m.List(1) & " " & m.List(2)
WScript.Echo "FileExists " & s.FileExists(folder & "a.txt") & " " & s.FileExists(folder & "*.txt") _
    & " " & s.FileExists(folder & "none.txt") & " " & s.FileExists("")
s.PlayMusic folder & "none.wav"
WScript.Echo "PlayMusic done"
WScript.Echo "ActiveXPTheme " & s.ActiveXPTheme()
WScript.Echo "MouseButtonPressed " & s.MouseButtonPressed()

' The error policy: a failing statement is skipped silently ...
e1.SilentError = True
Set silent = New ListBox
s.ListRead silent, folder & "missing.txt"
WScript.Echo "silent ListRead " & silent.ListCount
' ... or reported: to the log folder, and to the outside component, which takes the
' place of the message box.
e1.SilentError = False
Set reported = New ListBox
s.ListRead reported, folder & "missing.txt"
WScript.Echo "reported ListRead " & reported.ListCount
WScript.Echo "component " & Lines(s.TextRead("C:\raised.txt"))
log = s.TextRead(folder & "logs\SheenlineError.txt")
WScript.Echo "log " & Lines(Mid(log, InStr(log, vbCrLf) + 2))

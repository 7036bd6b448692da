' Varnel.Client from VBScript, run by Wine's cscript. Kept in UTF-8 here; the test
' saves it in code page 1251 before it runs, as Russian users save their scripts
' (Wine's cscript reads no UTF-16 script). Argument: the folder for the answers.
' Prints "FAIL: ..." for each check that fails and "done" at the end: Wine's VBScript
' ends silently, with exit code 0, at what it cannot run, and the missing "done" shows it.
Option Explicit

Const varnelErrRefused = &H80040202
Const varnelErrNoAnswer = &H80040203

Dim folder, files, client, answer, started, elapsed
folder = WScript.Arguments(0)
Set files = CreateObject("Scripting.FileSystemObject")

Sub Check(ok, what)
    If Not ok Then WScript.Echo "FAIL: " & what
End Sub

' UTF-16, so that the test reads the answer as the script got it.
Sub Save(name, text)
    Dim file
    Set file = files.CreateTextFile(folder & "\" & name, True, True)
    file.Write text
    file.Close
End Sub

' The two lines an integrator writes, and a search by name.
Set client = CreateObject("Varnel.Client")
client.By = "name"
client.Name = "районный"
Save "vbs-name.txt", client.Search()
Check InStr(client.LastRequest, "районный") > 0, "LastRequest does not hold the name: " & client.LastRequest

Set client = CreateObject("Varnel.Client")
client.By = "code"
client.Code = "01016433305000"
Save "vbs-code.txt", client.Search()

' "&" in a field: refused before sending, with the parser's reason and line.
On Error Resume Next
client.By = "name"
client.Name = "Иванов & сыновья"
answer = client.Search()
Check Err.Number = varnelErrRefused, "refused: Err.Number is " & Hex(Err.Number) & ", not 80040202"
Check InStr(Err.Description, "not well-formed (invalid token)") > 0, "refused: Err.Description is " & Err.Description
Check InStr(Err.Description, "Line: 28") > 0, "refused: Err.Description names no line 28: " & Err.Description
Check Err.Source = "Varnel.Client", "refused: Err.Source is " & Err.Source
Err.Clear

' A bad value is refused at the property, which keeps its value.
client.By = "street"
Check Err.Number = varnelErrRefused, "By = street: Err.Number is " & Hex(Err.Number)
Check InStr(Err.Description, "address, name, surname or code") > 0, "By = street: " & Err.Description
Check client.By = "name", "By changed to " & client.By & " by a refused value"
Err.Clear

' A chosen search that nobody chooses: "no answer" after TimeoutSeconds.
Set client = CreateObject("Varnel.Client")
client.By = "code"
client.Code = "01016433305000"
client.Chosen = True
client.TimeoutSeconds = 2
started = Timer
answer = client.Search()
elapsed = Timer - started
If elapsed < 0 Then elapsed = elapsed + 86400
Check Err.Number = varnelErrNoAnswer, "chosen: Err.Number is " & Hex(Err.Number) & ", not 80040203"
Check InStr(Err.Description, "no answer") > 0, "chosen: Err.Description is " & Err.Description
Check elapsed >= 1.9 And elapsed < 5, "chosen: the error came after " & elapsed & " s, not after the 2 s timeout"
Check client.Chosen, "Chosen reads False after it was set"
Err.Clear

' A timeout out of range is named as it was given, not rounded into range.
client.TimeoutSeconds = 86400.0001
Check Err.Number = varnelErrRefused, "TimeoutSeconds = 86400.0001: Err.Number is " & Hex(Err.Number)
Check InStr(Err.Description, "not 86400.0001") > 0, "TimeoutSeconds = 86400.0001: " & Err.Description
Check client.TimeoutSeconds = 2, "TimeoutSeconds changed to " & client.TimeoutSeconds & " by a refused value"
Err.Clear

' Launch refuses a NUL as the properties do, rather than cutting the text there.
client.Launch "a", "x" & Chr(0) & "y"
Check Err.Number = varnelErrRefused, "Launch with a NUL: Err.Number is " & Hex(Err.Number)
Check InStr(Err.Description, "NUL") > 0, "Launch with a NUL: " & Err.Description
Err.Clear
On Error GoTo 0

WScript.Echo "done"

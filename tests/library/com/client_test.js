// Varnel.Client from JScript, run by Wine's cscript. Kept in UTF-8 here; the test saves
// it in code page 1251 before it runs, as a Russian user's script is saved. Argument:
// the folder for the answers. Prints "FAIL: ..." for each check that fails and "done"
// at the end, so that a script that stops early does not pass.
var varnelErrRefused = 0x80040202 | 0; // as e.number gives it: a signed 32-bit value

var folder = WScript.Arguments(0);
var files = new ActiveXObject("Scripting.FileSystemObject");

function check(ok, what) {
    if (!ok) WScript.Echo("FAIL: " + what);
}

function save(name, text) {
    var file = files.CreateTextFile(folder + "\\" + name, true, true);
    file.Write(text);
    file.Close();
}

// The answer is an XML document: MSXML loads it, and it says what was searched.
function checkDocument(answer, by) {
    var document = new ActiveXObject("Msxml2.DOMDocument.3.0");
    document.async = false;
    if (!document.loadXML(answer)) {
        check(false, "by " + by + ": not well-formed XML: " + document.parseError.reason);
        return;
    }
    var searched = document.selectSingleNode("/VarnelAnswer/Search/by");
    check(searched && searched.text == by, "by " + by + ": <by> is " + (searched ? searched.text : "missing"));
    var bodies = document.selectNodes("/VarnelAnswer/Body").length;
    var found = document.selectSingleNode("/VarnelAnswer/found");
    check(bodies > 0 && found && Number(found.text) == bodies,
          "by " + by + ": " + bodies + " <Body> elements, <found> " + (found ? found.text : "missing"));
}

var client = new ActiveXObject("Varnel.Client");
client.By = "name";
client.Name = "районный";
var answer = client.Search();
save("js-name.txt", answer);
checkDocument(answer, "name");

client = new ActiveXObject("Varnel.Client");
client.By = "code";
client.Code = "01016433305000";
answer = client.Search();
save("js-code.txt", answer);
checkDocument(answer, "code");

try {
    client.By = "name";
    client.Name = "Иванов & сыновья";
    client.Search();
    check(false, "refused: a name with \"&\" raised no error");
} catch (e) {
    check(e.number == varnelErrRefused, "refused: e.number is " + e.number + ", not " + varnelErrRefused);
    check(e.description.indexOf("Line: 28") >= 0, "refused: e.description names no line 28: " + e.description);
}

WScript.Echo("done");
